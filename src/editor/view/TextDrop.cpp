#include "TextDrop.h"

TextDrop TextDrop::plan(
    qsizetype selectionStart, qsizetype selectionEnd, qsizetype dropAt, bool movesOwnSelection)
{
    if (!movesOwnSelection || selectionStart == selectionEnd)
        return { dropAt, 0, dropAt, false };
    if (dropAt >= selectionStart && dropAt <= selectionEnd)
        return { selectionStart, 0, dropAt, true };
    const qsizetype length = selectionEnd - selectionStart;
    return { selectionStart, length, dropAt > selectionEnd ? dropAt - length : dropAt, false };
}
