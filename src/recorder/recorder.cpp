// SPDX-License-Identifier: GPL-3.0-or-later

#include "recorder/recorder.h"

#include "base/control_ids.h"
#include "base/hooks.h"
#include "base/popups.h"
#include "base/records.h"
#include "base/state.h"
#include "base/statusline.h"
#include "base/text.h"
#include "calib/calrec.h"
#include "display/measure.h"
#include "files/locations.h"
#include "link/frame.h"
#include "link/orders.h"
#include "link/transport.h"
#include "params/pset.h"
#include "params_ui/help.h"
#include "platform/comm.h"
#include "platform/system.h"
#include "recorder/record_file.h"
#include "recorder/trigger_scan.h"
#include "stats/statistics.h"
#include "ui/runtime.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

using namespace ui;
using namespace panels;

namespace {

RecordSampleHook g_sampleHook = nullptr;
int g_linesLost = 0;
bool g_headerWritten = false; // the last writeFileHeader reached the file
bool g_recording = false;     // a recording runs (its loop is under way)
// Header bytes already taken off the serial port while looking for a triggered frame.
int g_heldHeaderBytes = 0;

const char *const kHelpMode =
    "RS-232-MODE for meas-data output:\nSTATIC(REC):= recorder activates transfer \nEXT-IN0-L/H:= trigg. transfer "
    "with recorder.\nEXT-IN0-L/H(3-BYTE):= triggerd 3-Byte trans.\nCONTINUOUS := automatic 3-Byte transfer.";
const char *const kHelpSamples = "SAMPLES [MAX 32000]:\nSpecify the number of samples to \nbe recorded. \nMinimum: 1 "
                                 "sample \nMaximum: 32000 samples ";
const char *const kHelpInterval =
    "TIME-INTERVAL [0.1 ..3600] sec:\nSpecify time interval between two \nsingle recording-events.\nMinimum: 0.1 sec "
    "(fastest recording)\nMaximum: 3600 sec (store once per hour) ";

void showHelp(int panel, int control, const char *text) { ShowHelpBesideControl(panel, control, 25, 5, text); }

// While recording, the status turns red once a line could not be written.
int runningColor() { return g_linesLost > 0 ? VAL_RED : kRecorderBlue; }

// The recorder status text is set on every pass of the loop; only a change reaches the widget.
void showRecStatus(const char *text, int color)
{
    if (GetCtrlString(pRec, REC_STATUS) != text)
        SetCtrlVal(pRec, REC_STATUS, text);
    if (GetCtrlTextColor(pRec, REC_STATUS) != color)
        SetCtrlTextColor(pRec, REC_STATUS, color);
}

void dimRecordingConflicts(bool dimmed)
{
    SetCtrlDimmed(pPA, MAIN_RUN, dimmed);
    SetCtrlDimmed(pPA, MAIN_VIDEO, dimmed);
    SetCtrlDimmed(pPara1, PARA1_TEACH, dimmed);
    SetCtrlDimmed(pRec, REC_START, dimmed);
}

double readInterval()
{
    double dt = 1.0;
    GetCtrlVal(pRec, REC_INTERVAL, &dt);
    return dt;
}

unsigned short readSamples()
{
    unsigned short n = 1;
    GetCtrlVal(pRec, REC_SAMPLES, &n);
    return n;
}

// ---- Triggered frames ------------------------------------------------------------------

// Bytes waiting at the start of szReadBuf plus, on RS-232, those still in the port.
int triggeredBytesWaiting()
{
    if (comtype == 0)
        return rs232con > 0 ? g_heldHeaderBytes + std::max(0, GetInQLen(rs232openport)) : g_heldHeaderBytes;
    return dataSizeRec;
}

// Drops bytes from the start of the receive buffer, keeping what follows them.
void consumeReceived(int count)
{
    int &have = comtype == 0 ? g_heldHeaderBytes : dataSizeRec;
    count = std::clamp(count, 0, have);
    std::memmove(szReadBuf, szReadBuf + count, static_cast<size_t>(have - count));
    have -= count;
}

// Takes the next triggered frame off the link into raw: 1 when a sample was taken,
// 0 when none is complete yet or the bytes in hand were dropped.
int takeTriggeredFrame()
{
    dataSizeRec = triggeredBytesWaiting();
    if (dataSizeRec < kHeaderSize)
        return 0;
    if (comtype == 0) {
        const int missing = kHeaderSize - g_heldHeaderBytes;
        if (missing > 0 &&
            ComRd(rs232openport, reinterpret_cast<char *>(szReadBuf) + g_heldHeaderBytes, missing) != missing)
            return 0;
        g_heldHeaderBytes = kHeaderSize;
    }
    const TriggerScan scan = ScanTriggeredBytes(szReadBuf, comtype == 0 ? g_heldHeaderBytes : dataSizeRec);
    if (scan.kind != TriggerScan::Frame) {
        consumeReceived(scan.drop);
        return 0;
    }
    head = scan.header;
    int result = -1;
    if (head.length > 0)
        result = GetDataFrame(head.length);
    // The frame is used only when all of it arrived intact and it carries the values written.
    const bool usable = result == 1 && head.length >= 12;
    if (usable)
        std::memcpy(&raw, szReadBuf + kHeaderSize, 12);
    // A frame whose data failed may have been cut short, with the next frame's start among the
    // bytes taken for its data: of such a frame only the header goes, and the search for the
    // next one goes on in what followed it.
    if (comtype == 0) {
        g_heldHeaderBytes = 0;
        if (result != 1 && head.length > 0) {
            const unsigned char *data = szReadBuf + kHeaderSize;
            const auto *sync = static_cast<const unsigned char *>(std::memchr(data, kSyncByte, head.length));
            if (sync) {
                const int keep = std::min<int>(kHeaderSize, static_cast<int>(data + head.length - sync));
                std::memmove(szReadBuf, sync, static_cast<size_t>(keep));
                g_heldHeaderBytes = keep;
            }
        }
    } else {
        consumeReceived(result == 1 ? kHeaderSize + head.length : kHeaderSize);
    }
    head.order = 0;
    return usable ? 1 : 0;
}

// Bytes received before Start are not samples of this recording.
void discardTriggeredInput()
{
    g_heldHeaderBytes = 0;
    if (comtype == 0) {
        if (rs232con > 0)
            FlushInQ(rs232openport);
    } else {
        ClientTCPDiscardInput(tcp_hconversation);
        dataSizeRec = 0;
    }
}

// ---- The loop's wait ---------------------------------------------------------------------

// Processes pending events; when none are pending, sleeps until data arrives or the
// next step of the loop is due (next polled sample, IN0 lamp off, next second shown).
void waitForNextStep(int mode, double t0, double last, double dt, bool lampOn)
{
    if (ProcessPendingEvents() || stop_flag != 0)
        return;
    const double now = Timer();
    double due = t0 + std::floor(now - t0) + 1.0;
    if (mode == 0)
        due = std::min(due, last + dt);
    if (mode == 1) {
        if (triggeredBytesWaiting() >= kHeaderSize)
            return;
        if (lampOn)
            due = std::min(due, last + 0.1);
    }
    const double wait = due - now;
    // The last millisecond before a polled sample is spent polling, so the request
    // leaves on time rather than up to a timer tick late.
    if (wait > 0.002)
        WaitForEvents(wait - 0.001);
}

// The loop's own end when the link fails it. A lost link was shown and logged as it went.
void endOnLinkFailure()
{
    stop_flag = -1;
    if (link_lost == 1)
        return;
    CopyText(szStatus, LinkFailureText("Timeout RS232-Line!", "Timeout TCP-Server-error!"));
    SetStatusColor(VAL_RED);
    ShowStatus();
    LogStatusLine(szStatus);
}

void showSampleCount(int count)
{
    SetCtrlVal(pRec, REC_COUNT, count);
    SetCtrlVal(pRec, REC_PROGRESS, count);
    FormatText(szStatus, sizeof szStatus, "Data-Recorder active!   Sample: %d", count);
    if (g_linesLost > 0) {
        char lost[40];
        FormatText(lost, sizeof lost, "  NOT WRITTEN: %d", g_linesLost);
        AppendText(szStatus, lost);
    }
    ShowStatus();
}

void showOutcome()
{
    char lost[48] = "";
    if (g_linesLost > 0)
        FormatText(lost, sizeof lost, " - %d SAMPLE(S) NOT WRITTEN!", g_linesLost);
    switch (stop_flag) {
    case 2:
        if (g_linesLost > 0) {
            // A recording that lost lines is not reported as a clean completion.
            char text[80];
            FormatText(text, sizeof text, "DATA-RECORDER ENDED%s", lost);
            showRecStatus(text, VAL_RED);
            FormatText(szStatus, sizeof szStatus, "Data-Recorder ended%s", lost);
            SetStatusColor(VAL_RED);
        } else {
            showRecStatus("DATA-RECORDER COMPLETED!", kRecorderBlue);
            CopyText(szStatus, "Data-Recorder completed successfully!");
        }
        break;
    case -1:
        if (link_lost == 1) {
            showRecStatus("DATA-REC. ERROR - CONNECTION LOST!", VAL_RED);
            CopyText(szStatus, "Data-Recorder error - connection lost!");
        } else {
            showRecStatus("DATA-REC. ERROR - TIMEOUT!", VAL_RED);
            CopyText(szStatus, "Data-Recorder error - rs232 timeout!");
        }
        AppendText(szStatus, lost);
        break;
    default:
        showRecStatus("DATA-RECORDER STOPPED!", VAL_RED);
        CopyText(szStatus, "Data-Recorder stopped!");
        AppendText(szStatus, lost);
        break;
    }
    ShowStatus();
}

// Deletes the record file before it is written anew. A file that stays would get a second
// header and the new lines behind the old recording: refused, with the reason.
bool deleteOldRecord()
{
    if (DeleteFileAt(rec_fname) >= 0 && !FileExists(rec_fname))
        return true;
    showRecStatus("DATA-RECORDER: OLD DATA-FILE CANNOT BE DELETED!", VAL_RED);
    const std::string text = std::string("Output-File cannot be overwritten (not deleted):\n") + rec_fname;
    MessagePopup("ATTENTION!", text.c_str());
    return false;
}

struct RecordingUnderWay {
    RecordingUnderWay() { g_recording = true; }
    ~RecordingUnderWay() { g_recording = false; }
};

// ---- One recording ---------------------------------------------------------------------

// What a recording carries from one pass of its loop to the next.
struct Recording {
    int mode = 0;          // the sensor's RS-232 mode: 0 polled, 1 triggered
    double interval = 1.0; // seconds between two polled samples
    int samples = 1;       // samples asked for
    double start = 0.0;    // Timer() at the start
    double last = 0.0;     // when the last sample was asked for (polled) or taken (triggered)
    int count = 0;         // samples taken
    int shownSeconds = -1; // the recording time on display
    bool lampOn = false;   // the IN0 lamp is lit for the last triggered sample
};

// A Start from inside a running recording (or while another loop runs) would nest a
// loop in the loop; an old record file is overwritten only when the operator agrees.
bool mayStartRecording()
{
    if (RequestsWaitForLoop()) {
        if (!g_recording)
            showRecStatus("DATA-RECORDER: STOP RUN / VIDEO FIRST!", VAL_RED);
        return false;
    }
    if (FileExists(rec_fname)) {
        if (!ConfirmPopup("ATTENTION !", "File already exist - overwrite ?"))
            return false;
        if (!deleteOldRecord())
            return false;
    }
    return true;
}

void showRecordingStarted()
{
    dimRecordingConflicts(true);
    for (int id : {REC_DATE, REC_TIME, REC_COUNT, REC_DAYS, REC_HOURS, REC_MINUTES, REC_SECONDS})
        SetCtrlDimmed(pRec, id, false);
    SetCtrlVal(pRec, REC_DATE, DateStr().c_str());
    SetCtrlVal(pRec, REC_TIME, TimeStr().c_str());
    SetCtrlVal(pRec, REC_COUNT, 0);
    SetCtrlTextColor(pRec, REC_STATUS, kRecorderBlue);
}

// Takes the page's figures and writes the file header. False, with the reason shown, when
// nothing could be written: no recording that would only count lost lines.
bool startRecordFile(Recording &recording)
{
    int pageMode = 0;
    GetCtrlVal(pRec, REC_MODE, &pageMode);
    recording.interval = readInterval();
    recording.samples = readSamples();
    g_linesLost = 0;
    SetCtrlMax(pRec, REC_PROGRESS, std::clamp(recording.samples, 1, kMaxRecordSamples));
    SetCtrlVal(pRec, REC_PROGRESS, 0);
    writeFileHeader(static_cast<unsigned short>(pageMode));
    if (!g_headerWritten) {
        dimRecordingConflicts(false);
        showRecStatus("DATA-RECORDER: CANNOT WRITE DATA-FILE!", VAL_RED);
        CopyText(szStatus, "Data-Recorder error - record file cannot be written!");
        SetStatusColor(VAL_RED);
        ShowStatus();
        return false;
    }
    recording.mode = pset.RS_232_Mode;
    return true;
}

// Triggered frames own the receive buffer; an exchange started meanwhile by another
// control would read them as its answer. What came before Start is no sample of this one.
void takeLinkForTriggers()
{
    discardTriggeredInput();
    exchange_busy = true;
}

// Appends the sample in raw to the record file and counts it (a line that could not be
// written is counted as lost); a triggered one lights the IN0 lamp.
void storeSample(Recording &recording, double sampleTime)
{
    showRecStatus("APPEND TO DATA-FILE...", runningColor());
    if (!AppendToRecordFile(rec_fname, RecordSampleLine(TimeStr(), raw)))
        ++g_linesLost;
    ++recording.count;
    NotifySampleRecorded(recording.count);
    showSampleCount(recording.count);
    if (recording.mode == 1) {
        SetCtrlVal(pPA, MAIN_IN0_LED, 1);
        recording.lampOn = true;
    }
    if (g_sampleHook)
        g_sampleHook(recording.count, sampleTime);
}

// A polled pass: once the interval has passed, asks the sensor for a measurement and
// stores it. False when the link failed the request; the recording then ends.
bool pollSample(Recording &recording)
{
    if (Timer() - recording.last < recording.interval)
        return true;
    recording.last = Timer();
    showRecStatus("DATA-RECORDER: RS-232-BUSY ...", runningColor());
    if (IssueOrder(ORDER_MEASUREMENT, 0) != 1) {
        endOnLinkFailure();
        return false;
    }
    CopyAnswerData(&raw, sizeof raw);
    ShowRecordedFrame();
    storeSample(recording, recording.last);
    return true;
}

// A triggered pass: stores a frame the sensor sent on its trigger, if one came, and puts
// the IN0 lamp out a tenth of a second after the last one. False when the link is lost.
bool takeTriggeredSample(Recording &recording)
{
    double elapsed = Timer() - recording.last;
    showRecStatus("WAITING FOR EXT.-TRIGGER ...", runningColor());
    bool taken = false;
    if (takeTriggeredFrame() == 1) {
        ShowRecordedFrame();
        taken = true;
        recording.last = Timer();
        elapsed = 0.0;
    }
    if (elapsed >= 0.1 && recording.lampOn) {
        SetCtrlVal(pPA, MAIN_IN0_LED, 0);
        recording.lampOn = false;
    }
    // A lost link brings no more triggers: the recording ends as a polled one does,
    // once the frames taken before the loss are written.
    if (!taken && !CurrentLink().isOpen()) {
        endOnLinkFailure();
        return false;
    }
    if (taken)
        storeSample(recording, recording.last);
    return true;
}

// The end of every pass: the recording time, the end once all samples are in, and the
// wait for the pass after.
void endPass(Recording &recording)
{
    const int seconds = static_cast<int>(Timer() - recording.start);
    if (seconds != recording.shownSeconds) {
        CalcRecTime(seconds);
        recording.shownSeconds = seconds;
    }
    if (recording.count >= recording.samples || recording.count >= kMaxRecordSamples)
        stop_flag = 2;
    waitForNextStep(recording.mode, recording.start, recording.last, recording.interval, recording.lampOn);
}

// Gives the link back, releases the page and reports how the recording ended; a completed
// or stopped recording is worth a look, not while the program closes.
void finishRecording(int mode, bool holdLink)
{
    if (holdLink)
        exchange_busy = false;
    if (mode == 1)
        discardTriggeredInput();
    // A lost link keeps what needs it dimmed until Connect restores it.
    dimRecordingConflicts(link_lost == 1);
    SetCtrlVal(pPA, MAIN_IN0_LED, 0);
    showOutcome();
    // A completed or stopped recording is worth a look; not while the program closes.
    const bool offer = (stop_flag == 2 || stop_flag == 1) && exit_flag == 0;
    stop_flag = 1;
    if (offer)
        OfferRecordStatistics();
}

} // namespace

bool RecordingRuns() { return g_recording; }

int RecordLinesLost() { return g_linesLost; }

void SetRecordSampleHook(RecordSampleHook hook) { g_sampleHook = hook; }

void CalcRecTime(int seconds)
{
    if (seconds < 0)
        seconds = 0;
    const int days = seconds / 86400;
    const int hours = seconds % 86400 / 3600;
    const int minutes = seconds % 3600 / 60;
    SetCtrlVal(pRec, REC_DAYS, days);
    SetCtrlVal(pRec, REC_HOURS, hours);
    SetCtrlVal(pRec, REC_MINUTES, minutes);
    SetCtrlVal(pRec, REC_SECONDS, seconds % 60);
}

void ShowRecordedFrame() { PlotVIDEOBarGraph(); }

void writeFileHeader(unsigned short mode)
{
    const double interval = mode == 1 ? 0.0 : readInterval();
    const std::string header = RecordHeaderText(DateStr(), TimeStr(), interval, readSamples(), cal.UM_SLOPE / 16384.0);
    g_headerWritten = AppendToRecordFile(rec_fname, header);
}

void ApplyRecorderMode(int mode)
{
    // Only the polled and the triggered mode can be recorded; the 3-byte modes and any
    // mode the sensor may add are not.
    const bool dimAll = mode != 0 && mode != 1;
    SetCtrlDimmed(pRec, REC_INTERVAL, mode != 0);
    SetCtrlDimmed(pRec, REC_SAMPLES, dimAll);
    SetCtrlDimmed(pRec, REC_START, dimAll);
    SetCtrlDimmed(pRec, REC_STOP, dimAll);
    SetCtrlDimmed(pRec, REC_FILE_BTN, dimAll);
}

int CC_DROPrs232mode(int panel, int control, int event, void *, int, int)
{
    if (event == EVENT_VAL_CHANGED) {
        int mode = 0;
        GetCtrlVal(panel, control, &mode);
        ApplyRecorderMode(mode);
    } else if (event == EVENT_RIGHT_CLICK) {
        showHelp(panel, control, kHelpMode);
    }
    return 0;
}

int CC_NUMsample(int panel, int control, int event, void *, int, int)
{
    if (event == EVENT_VAL_CHANGED) {
        int n = 0;
        GetCtrlVal(panel, control, &n);
        if (n < kMaxRecordSamples)
            CalcRecTime(static_cast<int>(n * readInterval()));
    } else if (event == EVENT_RIGHT_CLICK) {
        showHelp(panel, control, kHelpSamples);
    }
    return 0;
}

int CC_NUMinctime(int panel, int control, int event, void *, int, int)
{
    if (event == EVENT_VAL_CHANGED) {
        double dt = 0;
        GetCtrlVal(panel, control, &dt);
        if (dt < 3600.0)
            CalcRecTime(static_cast<int>(readSamples() * dt));
        if (dt == kServiceInterval) {
            SetCtrlVisible(pCalib, CALIB_WRITE_XF, true);
            SetCtrlDimmed(pCalib, CALIB_WRITE_XF, false);
            SetCtrlDimmed(pCal1, CAL1_SLOPE, false);
        }
    } else if (event == EVENT_RIGHT_CLICK) {
        showHelp(panel, control, kHelpInterval);
    }
    return 0;
}

int CC_PICBTNrecfile(int, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT)
        return 0;
    const FileSelectRequest request =
        MakeFileSelectRequest(proj_dir, "RECORD.DAT", "*.dat", "K-VOR-Series Recorder-File:", FileSelectMode::Save,
                              FileExtension::Restricted);
    std::string path;
    if (CurrentPopups().FileSelect(request, &path) == VAL_NO_FILE_SELECTED)
        return 0;
    if (!TakeChosenPath(path, ".dat", rec_fname, sizeof rec_fname))
        return 0;
    // An existing file stays until Start, whose own question deletes it: one chosen only to
    // be looked at, or chosen by mistake, is not lost.
    SetCtrlVal(pRec, REC_FILENAME, rec_fname);
    return 0;
}

int CC_PICBTNStopRecord(int, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT)
        return 0;
    stop_flag = 1;
    // After a lost link these stay dimmed until Connect restores it.
    dimRecordingConflicts(link_lost == 1);
    return 0;
}

int CC_CBTNStartRecord(int, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT)
        return 0;
    if (!mayStartRecording())
        return 0;
    const RecordingUnderWay underWay;
    showRecordingStarted();
    Recording recording;
    if (!startRecordFile(recording))
        return 0;
    const bool holdLink = recording.mode == 1 && !exchange_busy;
    if (recording.mode == 1)
        takeLinkForTriggers();
    recording.start = Timer();
    recording.last = recording.start;
    stop_flag = 0;
    while (stop_flag == 0) {
        if (recording.mode == 0 && !pollSample(recording))
            break;
        if (recording.mode == 1 && !takeTriggeredSample(recording))
            break;
        endPass(recording);
    }
    finishRecording(recording.mode, holdLink);
    return 0;
}
