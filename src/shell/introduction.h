#pragma once

#include <QString>

// The text of the introduction window; paragraphs are separated by CR LF pairs.
QString introductionText();
