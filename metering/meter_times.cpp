#include "metering/meter_times.h"

#include <cmath>

namespace meter_times {
namespace {

struct Correction {
    float nominal;
    float corrected;
};

constexpr Correction kIntegrationTable[] = {
    {1.75f, 1.6f},    {2.0f, 1.7f},     {6.0f, 6.25f},    {6.25f, 6.4f},   {8.0f, 8.095f},
    {10.0f, 10.4f},   {10.25f, 10.45f}, {10.5f, 10.6f},   {11.75f, 11.6f}, {12.0f, 11.73f},
    {14.0f, 14.12f},  {16.0f, 16.09f},  {18.0f, 18.47f},  {18.25f, 18.5f}, {18.5f, 18.65f},
};

constexpr Correction kLongTimeTable[] = {
    {1.75f, 1.6f},    {2.0f, 1.7f},     {5.75f, 5.6f},    {6.0f, 5.7f},     {8.0f, 8.155f},
    {11.75f, 11.6f},  {12.0f, 11.76f},  {14.0f, 14.47f},  {14.25f, 14.52f}, {14.5f, 14.6f},
    {16.0f, 16.025f}, {18.0f, 18.451f}, {18.25f, 18.5f},  {18.5f, 18.6f},
};

template <int N>
float corrected(const Correction (&table)[N], float nominal) {
    for (const Correction& c : table)
        if (c.nominal == nominal) return c.corrected;
    return nominal;
}

// Single-precision products throughout (every build uses SSE arithmetic, so no excess
// precision changes which table entry matches).
float exponentFor(float quantised, bool integration) {
    const float nominal = quantised * 20.0f;
    const float e = integration ? corrected(kIntegrationTable, nominal) : corrected(kLongTimeTable, nominal);
    return e * 0.05f;
}

}  // namespace

float quantiseDown(float x) {
    return static_cast<float>(static_cast<int>(x * 80.0f)) * 0.0125f;
}

float quantiseNearest(float x) {
    return static_cast<float>(static_cast<int>(x * 80.0f + 0.5f)) * 0.0125f;
}

double integrationMs(float quantised) {
    return std::pow(101.0, static_cast<double>(exponentFor(quantised, true))) - 1.0;
}

double longTimeMs(float quantised) {
    return std::pow(100.0, static_cast<double>(exponentFor(quantised, false))) * 100.0;
}

double approachCoefficient(double remaining, double sampleRate, double timeMs) {
    return 1.0 - std::pow(remaining, 1.0 / (sampleRate * timeMs * 0.001));
}

}  // namespace meter_times
