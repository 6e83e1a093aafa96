// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The Qt widgets behind panels and controls, for tests that press them as an operator
// does. The logic never uses these.

class QWidget;

namespace ui {

QWidget *ControlWidget(int panel, int control);
QWidget *PanelWidget(int panel);

} // namespace ui
