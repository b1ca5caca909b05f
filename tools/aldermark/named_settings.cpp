#include "tools/aldermark/named_settings.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/parameter_table.h"
#include "core/parameter_text.h"
#include "metering/meter_settings_store.h"
#include "metering/ppm_meter.h"
#include "metering/rms_meter.h"
#include "metering/vu_meter.h"

namespace aldermark::named_settings {
namespace {

// Meter models of our own, in the Instance scope, that read the times their settings give
// without touching the stores every instance shares.
struct Probes {
    Probes() : scopeBefore(enterInstanceScope()), rms(nullptr), vu(nullptr), ppm(nullptr) {
        meter_settings::setDefaultScope(scopeBefore);
    }
    static int enterInstanceScope() {
        const int before = meter_settings::defaultScope();
        meter_settings::setDefaultScope(meter_settings::kInstance);
        return before;
    }
    MeterModel& modelOf(int index) {
        if (index < vu.firstSettingIndex()) return rms;
        return index < ppm.firstSettingIndex() ? static_cast<MeterModel&>(vu) : ppm;
    }
    int scopeBefore;
    RMSMeter rms;
    VUmeter vu;
    PPMmeter ppm;
};

Probes& probes() {
    static Probes made;
    return made;
}

using TimeReader = double (*)(Probes&);

enum class Law {
    kWords,   // a choice: one word per step, x = k / (steps - 1)
    kLinear,  // low + x·(high − low), in `steps` steps (0: continuous)
    kSweep,   // low·(high / low)^x, continuous (the filter frequencies)
    kTime,    // what a meter model makes of x, in `steps` steps
};

struct Entry {
    int index;
    const char* unit;
    Law law;
    const char* words;  // kWords: '|' between steps, ',' between spellings of one step
    double low, high;   // kLinear, kSweep: the values at x = 0 and x = 1
    int steps;          // kLinear, kTime: how many values the setting takes
    int decimals;       // digits after the point in texts
    TimeReader time;    // kTime: the model's time in ms, after x was set
};

constexpr Entry words(int index, const char* unit, const char* list) {
    return {index, unit, Law::kWords, list, 0, 0, 0, 0, nullptr};
}
constexpr Entry linear(int index, const char* unit, double low, double high, int steps, int decimals) {
    return {index, unit, Law::kLinear, "", low, high, steps, decimals, nullptr};
}
constexpr Entry sweep(int index, double low, double high) {
    return {index, "Hz", Law::kSweep, "", low, high, 0, 0, nullptr};
}
constexpr Entry timed(int index, const char* unit, int steps, TimeReader read) {
    return {index, unit, Law::kTime, "", 0, 0, steps, unit[0] == 's' ? 2 : 0, read};
}

using namespace parameters;
using Rms = RMSMeter;
using Vu = VUmeter;
using Ppm = PPMmeter;

const Entry kTable[] = {
    words(kProcess, "", "off|on"),
    linear(kTrim, "dB", -20.0, 20.0, 401, 1),
    words(kScope, "", "global|session|instance"),
    words(kMeter, "", "vu,vu3|rms,rms3|ppm,rad3"),
    words(kMidSide, "", "lr|ms"),
    words(kHold, "", "off|inf|on"),  // mode 1 holds the highest value until cleared
    words(kStrips, "", "hide|show"),
    words(kShowFilters, "", "hide|show"),
    words(kFiltersIn, "", "out|in"),
    words(kHighPassOn, "", "out|in"),
    words(kHighPassSlope, "dB/oct", "12|24"),
    sweep(kHighPassFrequency, 20.0, 2000.0),
    words(kLowPassOn, "", "out|in"),
    words(kLowPassSlope, "dB/oct", "6|18"),
    sweep(kLowPassFrequency, 300.0, 30000.0),
    words(kShowLabel, "", "hide|show"),
    linear(kLagTime, "ms", 0.0, 999.0, 1000, 0),

    linear(Rms::kReference, "dBFS", -20.0, 10.0, 301, 1),
    timed(Rms::kIntegration, "ms", 81, [](Probes& p) { return p.rms.integrationMs(); }),
    timed(Rms::kRmsIntegration, "s", 81, [](Probes& p) { return p.rms.averagingMs(); }),
    timed(Rms::kHoldTime, "s", 81, [](Probes& p) { return p.rms.holdMs(); }),
    timed(Rms::kReturn, "s", 81, [](Probes& p) { return p.rms.returnMs(); }),
    words(Rms::kMidSideType, "dB", "0|-3|-6"),
    linear(Rms::kOverLength, "samples", 1.0, 10.0, 10, 0),
    linear(Rms::kOverReference, "dB", -6.0, 0.0, 7, 0),
    words(Rms::kPrecise, "", "off|on"),
    words(Rms::kLedReference, "", "ref|fs,dbfs"),  // the over threshold counts from the reference or full scale

    linear(Vu::kReference, "dBFS", -24.0, 0.0, 0, 1),
    timed(Vu::kIntegration, "ms", 201, [](Probes& p) { return p.vu.shownIntegrationMs(); }),
    timed(Vu::kHoldTime, "s", 81, [](Probes& p) { return p.vu.holdMs(); }),
    words(Vu::kBallistics, "", "a|b"),
    words(Vu::kMidSideType, "dB", "0|-3|-6"),
    words(Vu::kBacklight, "", "off,0|1|2|3|4"),
    linear(Vu::kOverLength, "samples", 1.0, 10.0, 10, 0),
    words(Vu::kOverChoice, "dBFS", "ref+8|-3|-1|0"),
    words(Vu::kPrecise, "", "off|on"),

    linear(Ppm::kReference, "dBFS", -24.0, 0.0, 0, 1),
    timed(Ppm::kIntegration, "ms", 81, [](Probes& p) { return p.ppm.integrationMs(); }),
    timed(Ppm::kHoldTime, "s", 81, [](Probes& p) { return p.ppm.holdMs(); }),
    timed(Ppm::kReturn, "s", 81, [](Probes& p) { return p.ppm.returnMs(); }),
    words(Ppm::kMidSideType, "dB", "0|-3|-6"),
    linear(Ppm::kOverLength, "samples", 1.0, 10.0, 10, 0),
    words(Ppm::kOverChoice, "dBFS", "ref+8|-3|-1|0"),
    words(Ppm::kPrecise, "", "off|on"),
};

const Entry* entryOf(int index) {
    for (const Entry& e : kTable)
        if (e.index == index) return &e;
    return nullptr;
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The steps of a choice, each with its spellings.
std::vector<std::vector<std::string>> stepWords(const Entry& e) {
    std::vector<std::vector<std::string>> steps(1);
    std::string word;
    for (const char* c = e.words;; ++c) {
        if (*c == ',' || *c == '|' || *c == 0) {
            steps.back().push_back(word);
            word.clear();
            if (*c == 0) return steps;
            if (*c == '|') steps.emplace_back();
        } else {
            word += *c;
        }
    }
}

// The normalised value of step k, one the effect reads as that step whether it rounds
// x·(n − 1) to the nearest step or down to it.
float stepValue(int k, int steps) {
    const float last = static_cast<float>(steps - 1);
    float x = static_cast<float>(k) / last;
    while (x < 1.0f && static_cast<int>(x * last) < k) x = std::nextafter(x, 1.0f);
    return x;
}

double timeValue(const Entry& e, float x) {
    Probes& p = probes();
    p.modelOf(e.index).setSetting(e.index, x);
    const double ms = e.time(p);
    return e.unit[0] == 's' ? ms * 0.001 : ms;
}

// The value in the unit at step k of a stepped setting.
double stepUnitValue(const Entry& e, int k) {
    if (e.law == Law::kTime) return timeValue(e, stepValue(k, e.steps));
    return e.low + (e.high - e.low) * k / (e.steps - 1);
}

std::string number(double value, int decimals) {
    if (std::fabs(value) < 0.5 * std::pow(10.0, -decimals)) value = 0.0;  // no "-0.0"
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string hertz(double value) {
    char text[kParameterTextSize + 8];
    formatHertz(value, text, sizeof text);
    return text;
}

// A number in the whole text, as written (not rounded to a float); no NaN or infinity.
bool readDouble(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    double parsed = 0.0;
    const auto result = std::from_chars(text.data(), end, parsed, std::chars_format::general);
    if (text.empty() || result.ec != std::errc{} || result.ptr != end || !std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

// A number as the user wrote it: an optional "+", the unit after it (spaces between allowed),
// and for frequencies "1k5" for 1500. `decimals` gets the digits written after the point.
bool readNumber(const Entry& e, std::string text, double& value, int& decimals) {
    const std::string unit = lower(e.unit);
    const std::string lowered = lower(text);
    if (!unit.empty() && lowered.size() > unit.size() &&
        lowered.compare(lowered.size() - unit.size(), unit.size(), unit) == 0)
        text.resize(text.size() - unit.size());
    while (!text.empty() && text.back() == ' ') text.pop_back();
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.erase(0, 1);
    decimals = 0;
    if (e.law == Law::kSweep) {
        const std::size_t k = lower(text).find('k');
        if (k != std::string::npos) {
            // "1k5", "12k5", "2k", "1.5k": kilohertz, the digits after the k its fraction.
            const std::string whole = text.substr(0, k), fraction = text.substr(k + 1);
            double kilohertz = 0.0, digits = 0.0;
            if (!readDouble(whole, kilohertz) || kilohertz < 0.0) return false;
            if (!fraction.empty()) {
                if (fraction.find_first_not_of("0123456789") != std::string::npos ||
                    whole.find_first_not_of("0123456789") != std::string::npos || !readDouble(fraction, digits))
                    return false;
                kilohertz += digits / std::pow(10.0, static_cast<double>(fraction.size()));
            }
            value = kilohertz * 1000.0;
            return true;
        }
    }
    if (!readDouble(text, value)) return false;
    const std::size_t point = text.find('.');
    if (text.find_first_of("eE") != std::string::npos)
        decimals = 99;  // written with an exponent: taken as more exact than any step
    else if (point != std::string::npos)
        decimals = static_cast<int>(text.size() - point - 1);
    return true;
}

std::string rangeText(const Entry& e) {
    switch (e.law) {
        case Law::kWords: {
            std::string text;
            for (const auto& spellings : stepWords(e)) text += (text.empty() ? "" : "|") + spellings.front();
            return text;
        }
        case Law::kSweep: return number(e.low, 0) + ".." + number(e.high, 0);
        case Law::kLinear: return number(e.low, e.decimals) + ".." + number(e.high, e.decimals);
        case Law::kTime:
            return number(stepUnitValue(e, 0), e.decimals) + ".." + number(stepUnitValue(e, e.steps - 1), e.decimals);
    }
    return {};
}

std::string withUnit(const Entry& e, const std::string& value) {
    return e.unit[0] ? value + " " + e.unit : value;
}

std::string outsideRange(const Entry& e, const std::string& text) {
    const std::string unit = lower(e.unit), written = lower(text);
    const bool hasUnit = !unit.empty() && written.size() > unit.size() &&
                         written.compare(written.size() - unit.size(), unit.size(), unit) == 0;
    return (hasUnit ? text : withUnit(e, text)) + " is outside " + withUnit(e, rangeText(e));
}

// Whether the value written differs from the step taken by more than the way it is shown.
bool differs(double written, int writtenDecimals, double taken, int decimals) {
    if (number(written, decimals) != number(taken, decimals)) return true;
    return writtenDecimals > decimals && std::fabs(written - taken) > 1e-9 * std::max(1.0, std::fabs(written));
}

// A word as the run reports it: a numbered step with its unit ("-3 dB"), else the word.
std::string wordTaken(const Entry& e, const std::string& word) {
    double ignored = 0.0;
    return readDouble(word, ignored) ? withUnit(e, word) : word;
}

bool resolveWord(const Entry& e, const std::string& text, Resolved& resolved, std::string& error) {
    const auto steps = stepWords(e);
    const std::string wanted = lower(text);
    for (std::size_t k = 0; k < steps.size(); ++k)
        for (const std::string& spelling : steps[k])
            if (wanted == spelling) {
                resolved = {stepValue(static_cast<int>(k), static_cast<int>(steps.size())), false,
                            wordTaken(e, steps[k].front())};
                return true;
            }
    // A number between the numbered steps of a choice goes to the nearest of them.
    double value = 0.0;
    int decimals = 0;
    int nearest = -1;
    double nearestValue = 0.0, lowest = HUGE_VAL, highest = -HUGE_VAL;
    const bool isNumber = readNumber(e, text, value, decimals);
    for (std::size_t k = 0; isNumber && k < steps.size(); ++k) {
        double step = 0.0;
        if (!readDouble(steps[k].back(), step)) continue;
        lowest = std::min(lowest, step);
        highest = std::max(highest, step);
        if (nearest < 0 || std::fabs(step - value) < std::fabs(nearestValue - value)) {
            nearest = static_cast<int>(k);
            nearestValue = step;
        }
    }
    if (nearest >= 0 && value >= lowest - 1e-9 && value <= highest + 1e-9) {
        resolved = {stepValue(nearest, static_cast<int>(steps.size())), differs(value, decimals, nearestValue, 0),
                    wordTaken(e, steps[static_cast<std::size_t>(nearest)].front())};
        return true;
    }
    error = nearest >= 0 ? outsideRange(e, text) : "'" + text + "' is not one of " + rangeText(e);
    return false;
}

}  // namespace

std::vector<int> indices() {
    std::vector<int> list;
    for (const Entry& e : kTable) list.push_back(e.index);
    return list;
}

const char* name(int index) {
    if (!entryOf(index)) return "";
    return index < kHostCount ? parameters::name(index) : meter_settings::valueName(index);
}

int find(const std::string& wanted) {
    const std::string key = lower(wanted);
    for (const Entry& e : kTable)
        if (lower(name(e.index)) == key) return e.index;
    return -1;
}

const char* unit(int index) {
    const Entry* e = entryOf(index);
    return e ? e->unit : "";
}

std::string range(int index) {
    const Entry* e = entryOf(index);
    return e ? rangeText(*e) : std::string{};
}

bool resolve(int index, const std::string& text, Resolved& resolved, std::string& error) {
    const Entry* found = entryOf(index);
    if (!found) {
        error = "parameter " + std::to_string(index) + " has no name";
        return false;
    }
    const Entry& e = *found;
    if (e.law == Law::kWords) return resolveWord(e, text, resolved, error);
    double value = 0;
    int decimals = 0;
    if (!readNumber(e, text, value, decimals)) {
        error = "'" + text + "' is not a number" + (e.unit[0] ? std::string(" of ") + e.unit : std::string{});
        return false;
    }
    const double first = e.law == Law::kTime ? stepUnitValue(e, 0) : e.low;
    const double last = e.law == Law::kTime ? stepUnitValue(e, e.steps - 1) : e.high;
    // The ends as the display shows them: "53" ms is the first VU integration step, 53.03 ms.
    const int shown = e.law == Law::kSweep ? 0 : e.decimals;
    if ((value < first && number(value, shown) != number(first, shown)) ||
        (value > last && number(value, shown) != number(last, shown))) {
        error = outsideRange(e, text);
        return false;
    }
    value = std::clamp(value, first, last);
    if (e.law == Law::kSweep) {
        // The first x at or above the frequency, which the display then shows as written
        // (just below 1 kHz it would show "1000" for "1k").
        float x = static_cast<float>(std::log(value / e.low) / std::log(e.high / e.low));
        while (x < 1.0f && e.low * std::pow(e.high / e.low, static_cast<double>(x)) < value) x = std::nextafter(x, 1.0f);
        resolved = {x, false, withUnit(e, hertz(value))};
        return true;
    }
    if (e.law == Law::kLinear && e.steps == 0) {
        resolved = {static_cast<float>((value - e.low) / (e.high - e.low)), false, withUnit(e, number(value, e.decimals))};
        return true;
    }
    int nearest = 0;
    if (e.law == Law::kLinear) {
        nearest = static_cast<int>(std::lround((value - e.low) / (e.high - e.low) * (e.steps - 1)));
    } else {
        for (int k = 1; k < e.steps; ++k)
            if (std::fabs(stepUnitValue(e, k) - value) < std::fabs(stepUnitValue(e, nearest) - value)) nearest = k;
    }
    const double taken = stepUnitValue(e, nearest);
    resolved = {stepValue(nearest, e.steps), differs(value, decimals, taken, e.decimals),
                withUnit(e, number(taken, e.decimals))};
    return true;
}

int step(int index, float normalised) {
    const Entry* e = entryOf(index);
    if (!e || e->law == Law::kSweep || e->law == Law::kTime || (e->law == Law::kLinear && e->steps == 0)) return -1;
    const int steps = e->law == Law::kWords ? static_cast<int>(stepWords(*e).size()) : e->steps;
    return static_cast<int>(std::clamp(normalised, 0.0f, 1.0f) * static_cast<float>(steps - 1) + 0.5f);
}

std::string valueText(int index, float normalised) {
    const Entry* found = entryOf(index);
    if (!found) return {};
    const Entry& e = *found;
    const float x = std::clamp(normalised, 0.0f, 1.0f);
    switch (e.law) {
        case Law::kWords: return stepWords(e)[static_cast<std::size_t>(step(index, x))].front();
        case Law::kSweep: {
            char text[kParameterTextSize + 8];
            formatSweepHertz(x, e.low, text, sizeof text);  // two decades, as the effect shows them
            return text;
        }
        case Law::kLinear:
            if (e.steps == 0) return number(e.low + (e.high - e.low) * x, e.decimals);
            return number(stepUnitValue(e, step(index, x)), e.decimals);
        case Law::kTime: return number(timeValue(e, x), e.decimals);
    }
    return {};
}

}  // namespace aldermark::named_settings
