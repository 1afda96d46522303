#pragma once
// Ctrl-C, SIGTERM and SIGHUP for a program on SDL (POSIX): they end it at
// once, a message box showing or not, as the signal itself would. SDL's X11
// message box runs in a forked child that the program waits for, so a
// handler that only flagged the signal would wait until someone answered
// the box; the thread that takes the signals ends that child instead, and
// the program, its box gone, finds the stop asked for, closes its window
// (a full-screen mode gives the display back) and ends by the signal.

#include <csignal>

#include "core/exit_codes.h"

// How a program ends by each of them (end_by_signal): what a shell reports.
constexpr ExitCode STOP_SIGNAL_EXITS[] = {
    {128 + SIGHUP, "SIGHUP ended it (its terminal closed)"},
    {128 + SIGINT, "SIGINT ended it (Ctrl+C in its terminal)"},
    {128 + SIGTERM, "SIGTERM ended it (kill, or XScreenSaver ending a hack)"},
};

// Blocks the signals in this thread and in every thread started after it,
// and starts the thread that takes them. Call first thing in main, before
// anything starts a thread.
void watch_stop_signals();

// The signal that asked the program to stop, or 0.
int stop_signal();

// A descriptor that becomes readable once a stop is asked for, for a
// program that waits in poll() to wake at once; -1 before
// watch_stop_signals.
int stop_signal_fd();

// Ends the process by the signal, so that its parent sees what a shell
// reports as 128 plus its number. Never returns.
[[noreturn]] void end_by_signal(int signal_number);
