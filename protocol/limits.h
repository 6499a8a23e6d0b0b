#pragma once

// The fixed limits on the way from the converter to the window, in one place:
// the program, the benchmark, the fuzzer and the tests use these. (The test
// oracles - the reference parser, the simulated device and the report
// generator - keep literal copies of the texts and numbers they mirror, on
// purpose, so that a change here is caught against them.)
namespace Limits {

// Bytes one poll of the link reads from the driver; more stays queued for the
// next poll, so nothing is read beyond the poll's buffer and nothing is lost.
inline constexpr int pollBytes = 4096;
// Characters one receive run moves from the link into the receive
// accumulator, so that a burst stays bounded.
inline constexpr int receiveRunCharacters = 65536;
// Parser calls per clock tick: a full memory sent as one report is worked off
// over several ticks instead of freezing the window.
inline constexpr int drainCallsPerTick = 250;

} // namespace Limits
