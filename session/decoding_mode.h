// Which sentences a session decodes: every talker (the default), or $GP only
// as the handheld did. The saved setting GpsOnly (setup_settings.h) asks for
// $GP only; so does --gps-only on the command line, for this run.
#pragma once

// Asks for $GP-only decoding for this run, whatever the setting says
// (--gps-only).
void RequestGpsOnlyDecoding();

// TRUE when a session decodes $GP only: the command line asked for it or the
// saved setting (non-zero nGpsOnly) does.
int GpsOnlyDecoding(int nGpsOnlySetting);
