#pragma once

// The command texts the program sends the device, each in one write. The
// configuration write builds its own texts (configwrite.h); the opening text
// belongs to the link, which sends it whatever is at the other end.
namespace Commands {

// The wake step in front of every command; the device needs the pause that
// follows it (see wakeDevice()).
inline constexpr char wake[] = "\n";
// Answered with the configuration report.
inline constexpr char readConfiguration[] = "71\n";
// Answered with the memory report. No line end: the device takes it after a
// short silence.
inline constexpr char readMemory[] = "2324";
// Clears the device's memory; no answer. No line end either.
inline constexpr char clearMemory[] = "221";

} // namespace Commands
