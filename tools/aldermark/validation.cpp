#include "tools/aldermark/validation.h"

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <ostream>

#include "tools/aldermark/plugin_instance.h"

namespace aldermark {

void TestOutcome::fail(const std::string& reason) {
    if (failures_++ == 0) firstFailure_ = reason;
}

ValidationContext::ValidationContext(const ValidationOptions& options, std::ostream& out)
    : options_(options), out_(out), random_(options.seed) {
    const char* locale = std::setlocale(LC_ALL, nullptr);
    locale_ = locale ? locale : "";
}

int ValidationContext::scaled(int lowest, int highest) const {
    return lowest + (highest - lowest) * (options_.strictness - 1) / 9;
}

float ValidationContext::randomUnit() {
    return std::uniform_real_distribution<float>(0.0f, 1.0f)(random_);
}

int ValidationContext::randomBelow(int bound) {
    return bound <= 1 ? 0 : std::uniform_int_distribution<int>(0, bound - 1)(random_);
}

bool ValidationContext::open(PluginInstance& plugin, TestOutcome& outcome) {
    std::string error;
    if (plugin.load(options_.pluginPath, error)) return true;
    outcome.fail(error);
    return false;
}

void ValidationContext::run(const char* group, const char* name, const std::function<void(TestOutcome&)>& body) {
    TestOutcome outcome;
    const auto start = std::chrono::steady_clock::now();
    body(outcome);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const char* locale = std::setlocale(LC_ALL, nullptr);
    if (locale_ != (locale ? locale : "")) {
        outcome.fail(std::string("the process locale changed to '") + (locale ? locale : "") + "'");
        std::setlocale(LC_ALL, locale_.c_str());  // so that later tests are judged on their own
    }
    const char* verdict = outcome.failed() ? "FAIL" : outcome.skipped() ? "SKIP" : "PASS";
    (outcome.failed() ? failed_ : outcome.skipped() ? skipped_ : passed_)++;
    char time[32];
    std::snprintf(time, sizeof time, " (%.2f s)", seconds);
    out_ << verdict << " " << group << ": " << name << time;
    if (!outcome.reason().empty()) out_ << ": " << outcome.reason();
    if (outcome.failures() > 1) out_ << " (and " << outcome.failures() - 1 << " more)";
    out_ << std::endl;
}

std::string parameterName(PluginInstance& plugin, VstInt32 index) { return plugin.text(effGetParamName, index); }

std::string parameterDisplay(PluginInstance& plugin, VstInt32 index) {
    return plugin.text(effGetParamDisplay, index);
}

VstInt32 findParameter(PluginInstance& plugin, const char* name) {
    for (VstInt32 index = 0; index < plugin.effect()->numParams; ++index)
        if (parameterName(plugin, index) == name) return index;
    return -1;
}

std::string saveChunk(PluginInstance& plugin) {
    if (!(plugin.effect()->flags & effFlagsProgramChunks)) return {};
    void* data = nullptr;
    const VstIntPtr size = plugin.dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || !data) return {};
    return std::string(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

void setEveryParameterRandomly(PluginInstance& plugin, ValidationContext& context) {
    for (VstInt32 index = 0; index < plugin.effect()->numParams; ++index)
        plugin.setParameter(index, context.randomUnit());
}

int runValidation(const ValidationOptions& options, std::ostream& out) {
    ValidationContext context(options, out);
    out << "validating '" << options.pluginPath << "' at strictness " << options.strictness << ", seed "
        << options.seed << std::endl;
    validateIdentity(context);
    validatePrograms(context);
    validateParameters(context);
    validateState(context);
    validateAudio(context);
    validateAutomation(context);
    validateThreads(context);
    validateEditor(context);
    validateRealTimeSafety(context);
    if (context.skipped() > 0) out << context.skipped() << " skipped" << std::endl;
    out << context.passed() << " passed, " << context.failed() << " failed" << std::endl;
    return context.failed();
}

}  // namespace aldermark
