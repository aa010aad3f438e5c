#pragma once

#include <QtGlobal>

// Where dropped text goes. Text dragged out of the view's own selection and dropped elsewhere
// in it is moved: the selection goes and the text comes in at the drop point, which moves up
// when the selection was before it. A drop inside the dragged selection does nothing.
struct TextDrop {
    qsizetype removeFrom = 0;
    qsizetype removed = 0; // positions taken out first (0 for a copy)
    qsizetype insertAt = 0; // after the removal
    bool nothing = false;

    static TextDrop plan(qsizetype selectionStart, qsizetype selectionEnd, qsizetype dropAt,
        bool movesOwnSelection);
};
