#pragma once
// The host-compatibility validator behind `aldermark validate`: a battery of tests that drive
// a plug-in binary the way hosts do, each reported as it finishes. The groups live in their
// own validate_*.cpp files; this header is what they share.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <random>
#include <string>

#include "vst2/aeffectx.h"

namespace aldermark {

class PluginInstance;

struct ValidationOptions {
    std::string pluginPath;
    int strictness = 5;       // 1 (quick) … 10 (every combination, real-time safety)
    std::uint64_t seed = 1;   // of every random value the tests use
    bool skipEditor = false;
};

// What one test found: the first failure in words, and how many checks failed.
class TestOutcome {
public:
    // Records a failure when `condition` is false; the message is built only then.
    template <typename Message>
    bool expect(bool condition, Message&& message) {
        if (!condition) fail(std::string(std::forward<Message>(message)()));
        return condition;
    }
    void fail(const std::string& reason);
    // The test does not apply to this plug-in or platform.
    void skip(const std::string& reason) { skipReason_ = reason; }

    bool failed() const { return failures_ > 0; }
    bool skipped() const { return !failed() && !skipReason_.empty(); }
    const std::string& reason() const { return failed() ? firstFailure_ : skipReason_; }
    int failures() const { return failures_; }

private:
    std::string firstFailure_;
    std::string skipReason_;
    int failures_ = 0;
};

class ValidationContext {
public:
    ValidationContext(const ValidationOptions& options, std::ostream& out);

    const ValidationOptions& options() const { return options_; }
    int strictness() const { return options_.strictness; }
    // A count that grows with the strictness, from `lowest` at 1 to `highest` at 10.
    int scaled(int lowest, int highest) const;

    std::mt19937_64& random() { return random_; }
    float randomUnit();  // uniform in 0 … 1
    int randomBelow(int bound);

    // Loads the binary afresh; on failure the outcome says why and false is returned.
    bool open(PluginInstance& plugin, TestOutcome& outcome);

    // Runs one test and prints "PASS group: name", "FAIL group: name: reason" or "SKIP …",
    // with its time. A test that changed the process locale fails.
    void run(const char* group, const char* name, const std::function<void(TestOutcome&)>& body);

    int passed() const { return passed_; }
    int failed() const { return failed_; }
    int skipped() const { return skipped_; }

private:
    ValidationOptions options_;
    std::ostream& out_;
    std::mt19937_64 random_;
    std::string locale_;  // as the process had it when the validator started
    int passed_ = 0, failed_ = 0, skipped_ = 0;
};

// Parameter values and texts, read the way a host's generic editor does.
std::string parameterName(PluginInstance& plugin, VstInt32 index);
std::string parameterDisplay(PluginInstance& plugin, VstInt32 index);
// The index of the parameter called `name`, or -1.
VstInt32 findParameter(PluginInstance& plugin, const char* name);
// The state as a host saves it (a copy); empty when the plug-in gives none.
std::string saveChunk(PluginInstance& plugin);
void setEveryParameterRandomly(PluginInstance& plugin, ValidationContext& context);

// The test groups, in the order they run.
void validateIdentity(ValidationContext& context);
void validatePrograms(ValidationContext& context);
void validateParameters(ValidationContext& context);
void validateState(ValidationContext& context);
void validateAudio(ValidationContext& context);
void validateAutomation(ValidationContext& context);
void validateThreads(ValidationContext& context);
void validateEditor(ValidationContext& context);
void validateRealTimeSafety(ValidationContext& context);

// Runs every group; the number of failed tests.
int runValidation(const ValidationOptions& options, std::ostream& out);

}  // namespace aldermark
