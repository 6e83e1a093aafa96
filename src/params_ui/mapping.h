// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The parameter set on the panel: showing it, reading it back, and dimming the
// buttons that talk to the sensor.

#include <cstdint>
#include <string>

void GetPanelValues();
void SetPanelValues();
// 1 (any value above 1 counts as 1) dims the exchange buttons and turns the status
// fields red; 0 releases them.
void DimmButtons(std::uint16_t dim);

// The millimetre switch's scaling of the graphs, captions and value displays.
void ApplyUnitScaling();
// Upper and lower tolerance and the set point in millimetres, on the main panel and
// the first parameter page.
void ShowToleranceMillimetres(unsigned upper, unsigned lower);
// Stated resolution in µm of a hardware type in a receiver operating mode; -1 if the
// type is not known.
int ResolutionMicrons(std::uint32_t hardwareType, std::uint16_t opMode);

// A field's value as the pages show it: the ring's text, millimetres, milliseconds,
// per cent, µm/pixel, in Latin-1 as the controls take texts; empty for a plain number. key is
// the parameter-file key.
std::string ShownParameterText(const std::string &key, std::uint32_t value);
