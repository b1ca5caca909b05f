// aldermark validate: runs the host-compatibility tests against a plug-in binary and
// reports each with pass or fail, then "N passed, N failed"; the exit code is 1 when any
// test failed.
#include <ostream>

#include "tools/aldermark/commands.h"
#include "tools/aldermark/plugin_instance.h"
#include "tools/aldermark/private_settings.h"
#include "tools/aldermark/validation.h"

namespace aldermark {

int runValidate(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    static constexpr OptionSpec specs[] = {
        {"--strictness", true, false}, {"--seed", true, false}, {"--skip-editor", false, false}};
    // The binary comes first, as the one argument without a name.
    if (args.empty() || args.front().rfind("--", 0) == 0)
        return reportError(err, "validate", "the plug-in binary to validate is required", kExitUsage);
    ParsedOptions options;
    std::string error;
    if (!parseOptions(CommandArguments(args.begin() + 1, args.end()), specs, options, error))
        return reportError(err, "validate", error, kExitUsage);

    ValidationOptions validation;
    validation.pluginPath = args.front();
    validation.skipEditor = options.has("--skip-editor");
    long long number = 0;
    if (const std::string* text = options.value("--strictness")) {
        if (!parseInteger(*text, number) || number < 1 || number > 10)
            return reportError(err, "validate", "--strictness must be a whole number from 1 to 10, got '" + *text + "'",
                               kExitUsage);
        validation.strictness = static_cast<int>(number);
    }
    if (const std::string* text = options.value("--seed")) {
        if (!parseInteger(*text, number) || number < 0)
            return reportError(err, "validate", "--seed must be a whole number from 0 on, got '" + *text + "'",
                               kExitUsage);
        validation.seed = static_cast<std::uint64_t>(number);
    }

    // The tests change every setting and store them: in a store of the run's own, which the
    // plug-in reads from its first load on, the user's settings stay as they were.
    PrivateSettingsStore store;
    if (!store.begin(error)) return reportError(err, "validate", error);
    out << "settings kept in a private store, " << store.location() << ", removed at the end" << std::endl;
    // A binary that cannot be loaded at all has nothing to test.
    {
        PluginInstance probe;
        if (!probe.load(validation.pluginPath, error)) return reportError(err, "validate", error);
    }
    return runValidation(validation, out) == 0 ? kExitOk : kExitFailure;
}

}  // namespace aldermark
