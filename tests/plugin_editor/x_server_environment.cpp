// The editor tests that open real windows get a private X server for the whole run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "tests/support/x11_test_server.h"

namespace {

class XServerEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        server_ = std::make_unique<testsupport::PrivateXServer>();
        if (server_->running()) setenv("DISPLAY", server_->name().c_str(), 1);
    }
    void TearDown() override { server_.reset(); }

private:
    std::unique_ptr<testsupport::PrivateXServer> server_;
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new XServerEnvironment);

}  // namespace
