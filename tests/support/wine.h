#pragma once
// Whether a Windows test program runs under Wine, whose Direct2D lacks a few features that
// Windows has (anti-aliased geometry). Always false elsewhere.
bool runningUnderWine();
