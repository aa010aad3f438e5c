#pragma once

#include "Tokenizer.h"

#include <QColor>
#include <QPalette>

// Each kind has one colour on dark backgrounds and one on light ones. Spans store only their
// kind, so a change of appearance recolours them without a new scan.
enum class Appearance : std::uint8_t { light, dark };

// Dark when the palette's window colour is dark.
Appearance appearanceOf(const QPalette &palette);

QColor syntaxColor(TokenKind kind, Appearance appearance);
QColor syntaxColor(TokenKind kind, const QPalette &palette);
