#pragma once
// Start-up, shutdown, the header band and the two panel callbacks.

// The program's entry: returns 0 after a normal run, -1 when the run-time or a panel
// could not be set up.
int WinMain(int argc, char **argv);

// Loads the main panel with its pages and the help pop-up; -1 on failure.
int LoadAllPanels();
// The way out: closes the link and discards the panels.
void CloseLinkAndPanels();
void InitVars();
void InitGUI();
void ShowLogo(int brandVariant);
void ShowInfoText(int backColor, int textColor, const char *text, int left, int top, int pointSize);
// Start-up step 5: opens the link the state names and identifies the sensor.
void OpenLinkAtStartup();

int CC_PANEL(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_PANELpopup(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

// Shows a help text in the help pop-up at the given panel position.
void ShowHelpPopup(int top, int left, const char *text);
// Shows a help text beside a control of a window of its own (the statistics and set-up
// windows) in that window's help pop-up `popup` with its text box `textBox`.
void ShowWindowHelp(int popup, int textBox, int window, int control, const char *text);
