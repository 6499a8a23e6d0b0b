#pragma once

// kalvor2-cli's exit statuses, as its --help, its manual page and the README
// list them: a script tells by them what went wrong.
namespace ExitCode {
inline constexpr int done = 0;
inline constexpr int usage = 1;       // the command line could not be taken
inline constexpr int noConverter = 2; // none found, it could not be opened, or it went away
inline constexpr int noAnswer = 3;    // the device did not answer (or did not take a setting)
inline constexpr int incomplete = 4;  // a read ended incomplete: its rows are written anyway
inline constexpr int notWritten = 5;  // a file or the archive could not be written
} // namespace ExitCode
