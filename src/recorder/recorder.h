// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The data recorder page: timed (polled) and sensor-triggered recording of measurement
// values into the record file named by rec_fname.

constexpr int kMaxRecordSamples = 32000;
constexpr double kServiceInterval = 6183.0; // interval value that opens the XFLASH write button
constexpr int kRecorderBlue = 0x0066FF;

// Control callbacks of the recorder page.
int CC_PICBTNrecfile(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_CBTNStartRecord(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_PICBTNStopRecord(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_DROPrs232mode(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_NUMsample(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_NUMinctime(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

// Appends header lines 1 to 6 to rec_fname; the interval reads 0.0 for mode 1.
void writeFileHeader(unsigned short mode);
// Shows a number of seconds split into days, hours, minutes and seconds.
void CalcRecTime(int seconds);
// Dims or enables the recorder's fields and buttons for a serial-output mode (the
// mode ring's own rule, applied by start-up as well).
void ApplyRecorderMode(int mode);
// Shows the frame just recorded on the main panel's value displays.
void ShowRecordedFrame();

// Whether a recording runs.
bool RecordingRuns();
// Samples of the current or last recording whose line could not be written.
int RecordLinesLost();

// Called after each sample is taken, with its count and, for polled samples, the
// timer value at which its request went out (triggered samples: the time of arrival).
// For benchmarks and diagnostics; null switches it off.
using RecordSampleHook = void (*)(int count, double sampleTime);
void SetRecordSampleHook(RecordSampleHook hook);
