#include "tools/aldermark/run_settings.h"

#include <ostream>

#include "core/parameter_table.h"
#include "metering/meter_settings_store.h"
#include "metering/ppm_meter.h"
#include "metering/rms_meter.h"
#include "metering/vu_meter.h"
#include "platform/settings_store.h"
#include "tools/aldermark/named_settings.h"

namespace aldermark {
namespace {

bool isSpare(int index) { return index >= parameters::kFirstSpare && index < parameters::kHostCount; }

// The reference level and the precise mode of each meter, by meter type.
int referenceOf(int meter) {
    if (meter == meter_settings::kRMS) return RMSMeter::kReference;
    return meter == meter_settings::kPPM ? static_cast<int>(PPMmeter::kReference) : VUmeter::kReference;
}
int preciseOf(int meter) {
    if (meter == meter_settings::kRMS) return RMSMeter::kPrecise;
    return meter == meter_settings::kPPM ? static_cast<int>(PPMmeter::kPrecise) : VUmeter::kPrecise;
}

std::string spareError(const GivenSetting& given) {
    return given.option + ": parameter " + std::to_string(given.assignment.index) + " is a spare and does nothing";
}

// What the stores took from the user's store: how many meter settings it holds, and those
// that differ from the defaults, as "…; not at the defaults: Avureference -12.0 dBFS, …".
std::string storedValues() {
    std::string list;
    int stored = 0;
    for (int slot = 0; slot < meter_settings::kCount; ++slot) {
        const int index = meter_settings::indexOfSlot(slot);
        float value = 0.0f;
        // A value the loader turned down left the default in the stores.
        if (!platform::readSettingBytes(meter_settings::valueName(index), &value, sizeof value) ||
            value != meter_settings::globalStore().get(index))
            continue;
        ++stored;
        if (named_settings::valueText(index, value) == named_settings::valueText(index, meter_settings::defaultValue(index)))
            continue;
        const char* unit = named_settings::unit(index);
        list += (list.empty() ? "; not at the defaults: " : ", ") + std::string(named_settings::name(index)) + " " +
                named_settings::valueText(index, value) + (unit[0] ? " " : "") + unit;
    }
    if (stored == 0) return "the user's settings store holds no meter settings: the defaults apply";
    return "the user's settings store gives " + std::to_string(stored) + " meter settings" +
           (list.empty() ? ", all at their defaults" : list);
}

}  // namespace

bool RunSettings::add(int index, const std::string& value, const std::string& option, std::string& error) {
    named_settings::Resolved resolved;
    if (!named_settings::resolve(index, value, resolved, error)) {
        error = option + ": " + error;
        return false;
    }
    if (resolved.moved) notes_.push_back(option + " taken as " + resolved.taken + ", the nearest step");
    given_.push_back({{index, resolved.normalised}, option, true});
    return true;
}

bool RunSettings::read(const ParsedOptions& options, EffectSource source, std::string& error, bool storeOption) {
    if (const std::string* store = storeOption ? options.value(kSettingsStoreOption.name) : nullptr) {
        if (*store != "user" && *store != "default") {
            error = "--settings takes 'user' (start from the user's stored settings) or 'default', got '" + *store + "'";
            return false;
        }
        user_ = announceUser_ = *store == "user";
    }
    // The meter first: the reference and precise shortcuts follow it.
    const std::string* meterChoice = options.value("--meter");
    if (meterChoice && !add(parameters::kMeter, *meterChoice, "--meter " + *meterChoice, error)) return false;

    for (const std::string& text : options.all("--set")) {
        const std::string option = "--set " + text;
        const std::size_t equals = text.find('=');
        if (equals == std::string::npos || equals == 0) {
            error = "--set expects NAME=VALUE or INDEX=VALUE, got '" + text + "'";
            return false;
        }
        const std::string key = text.substr(0, equals), value = text.substr(equals + 1);
        long long index = 0;
        if (!parseInteger(key, index)) {
            const int named = named_settings::find(key);
            if (named < 0) {
                error = option + ": no setting is called '" + key + "' (aldermark info --settings lists them)";
                return false;
            }
            if (!add(named, value, option, error)) return false;
            continue;
        }
        // The index form keeps its meaning for scripts: the normalised value 0..1.
        const bool meterSetting = index >= parameters::kFirstMeterSetting && index <= parameters::kLastMeterSetting &&
                                  meter_settings::slotOf(static_cast<int>(index)) >= 0;
        if ((index < 0 || index >= kHostParameterCount) && !meterSetting) {
            error = option + ": parameter index " + key + " is outside 0.." + std::to_string(kHostParameterCount - 1) +
                    " and the meter settings 72..100";
            return false;
        }
        float x = 0.0f;
        if (!parseFloat(value, x)) {
            error = option + ": value '" + value + "' is not a number";
            return false;
        }
        if (x < 0.0f || x > 1.0f) {
            error = option + ": the value " + value + " is outside 0..1 (INDEX=VALUE takes the normalised value)";
            return false;
        }
        given_.push_back({{static_cast<int>(index), x}, option, false});
        if (source == EffectSource::kBuiltIn && isSpare(static_cast<int>(index))) {
            error = spareError(given_.back());
            return false;
        }
    }

    // The selected meter: --meter, else the last Meter of --set, else the one a new
    // instance starts with.
    int meter = meter_settings::kVU;
    for (const GivenSetting& given : given_) {
        if (given.assignment.index != parameters::kMeter) continue;
        const int chosen = named_settings::step(parameters::kMeter, given.assignment.value);
        if (meterChoice && chosen != named_settings::step(parameters::kMeter, given_.front().assignment.value)) {
            error = "--meter " + *meterChoice + " and " + given.option + " choose different meters";
            return false;
        }
        meter = chosen;
    }
    if (const std::string* trim = options.value("--trim")) {
        if (!add(parameters::kProcess, "on", "--trim " + *trim, error) ||
            !add(parameters::kTrim, *trim, "--trim " + *trim, error))
            return false;
    }
    const int reference = referenceOf(meter);
    if (const std::string* level = options.value("--reference");
        level && !add(reference, *level, "--reference " + *level + " (" + named_settings::name(reference) + ")", error))
        return false;
    if (options.has("--precise") && !add(preciseOf(meter), "on", "--precise", error)) return false;
    if (const std::string* hold = options.value("--hold"); hold && !add(parameters::kHold, *hold, "--hold " + *hold, error))
        return false;
    return !options.has("--ms") || add(parameters::kMidSide, "ms", "--ms", error);
}

std::vector<ParameterAssignment> RunSettings::assignments() const {
    std::vector<ParameterAssignment> list;
    for (const GivenSetting& given : given_) list.push_back(given.assignment);
    return list;
}

bool RunSettings::checkPlugin(bool zebAldermark, const std::string& pluginName, int parameterCount,
                              std::string& error) const {
    for (const GivenSetting& given : given_) {
        const int index = given.assignment.index;
        if (!zebAldermark && (given.named || index >= kHostParameterCount)) {
            error = given.option + ": names, units and the meter settings 72..100 are ZEB Aldermark's; '" +
                    pluginName + "' takes --set INDEX=VALUE with an index below " + std::to_string(parameterCount);
            return false;
        }
        if (zebAldermark && isSpare(index)) {
            error = spareError(given);
            return false;
        }
        if (index < kHostParameterCount && index >= parameterCount) {
            error = given.option + ": parameter index " + std::to_string(index) + " is beyond the plug-in's " +
                    std::to_string(parameterCount) + " parameters";
            return false;
        }
    }
    return true;
}

bool RunSettings::begin(const char* command, std::ostream& err, std::string& error) {
    // The stores of the effect built into this program were filled from the user's store
    // when the program started: the run starts them again, as a library load would.
    if (user_) {
        meter_settings::loadStoresFromUserSettings();
    } else {
        meter_settings::globalStore().fillWithDefaults();
        meter_settings::sessionStore().fillWithDefaults();
    }
    meter_settings::setDefaultScope(meter_settings::kSession);
    meter_settings::setDefaultMeterType(meter_settings::kVU);
    if (announceUser_) notes_.push_back(storedValues());
    if (!store_.begin(error)) return false;
    // A plug-in loaded later reads the user's values from the private store.
    if (user_ && !meter_settings::writeGlobalStore(meter_settings::kFirstIndex, meter_settings::kLastIndex)) {
        error = "cannot copy the user's settings into the private store " + store_.location();
        return false;
    }
    printNotes(command, err);
    return true;
}

void RunSettings::printNotes(const char* command, std::ostream& err) const {
    for (const std::string& note : notes_) err << "aldermark " << command << ": " << note << "\n";
}

}  // namespace aldermark
