#pragma once

#include <QString>

class ConfigStore;

// The text of the introduction window; paragraphs are separated by CR LF pairs.
QString introductionText();

// Whether the introduction window opens at start-up: only when the item
// "SHOWTIPS" holds exactly "Y".
bool shouldOfferIntroduction(ConfigStore& config);
