// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The connection page: choosing the link, connecting and disconnecting, changing the
// sensor's baud rate, accepting the settings and writing the hardware information file.

constexpr int kMaxIpAddresses = 10; // entries kept in the IP-address list

// Shows or hides the controls of one link type on the connection page and the main
// panel. full: the TCP-only control follows too.
void ApplyLinkLayout(int type, bool full);
// The five connection values of the state shown on the connection page.
void ShowConnectionSettings();
// The five connection controls of the page read into the state (tcpport follows the text).
void TakeConnectionSettings();
// Enables (0) or dims (1) the controls that need a connected sensor.
void DimExchangeControls(int dim);
// After the link went away: what needs the link is dimmed until the next Connect.
void DimAfterLostLink();
// From the program's close on, exit_flag stays raised (a Disconnect press no longer drops it).
void KeepExitFlag();

int CC_DROPComType(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_DROPBaudRate(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_NUMrs232comport(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_STRINGipAddress(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CBF_StringPortNumber(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_CBTNTryToConnect(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_CBTNDisconnect(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_CBTNAcceptComSetting(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_CBTNChangeBaudRate(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_CBTNGenerateHWInfoFile(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

inline constexpr const char *kTextTryToConnect = "TRY TO CONNECT! ...";
inline constexpr const char *kTextDisconnecting = "DISCONNECTION ...";
inline constexpr const char *kTextDisconnected = "SENSOR DISCONNECTED!";
inline constexpr const char *kTextTryBaudChange = "Try to change baudrate...";
inline constexpr const char *kTextBaudChangeOk = "Baudrate-change OK!";
inline constexpr const char *kTextBaudChangeTimeout = "Timeout: changing RS-232-baudrate...";
