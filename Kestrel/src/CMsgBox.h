// The one way the program shows a modal message: CMsgBox(owner).Show(text,
// caption, type) runs a CMsgDlg over the owner and returns 1 (OK) or 2
// (Cancel, also for Escape and closing) for types 0 and 1, and 6 (Yes) or 7
// (No) for type 4. Captions: "ERROR" for failures, text 106 "確認" for
// questions, text 49 "終了" for completion notices.
#pragma once

#include "CMsgDlg.h"

namespace kestrel {

class CMsgBox {
public:
    CMsgBox(QWidget* owner, const UiResources& ui) : owner_(owner), ui_(ui) {}

    int Show(const QString& text, const QString& caption, int type);

private:
    QWidget* owner_;
    const UiResources& ui_;
};

} // namespace kestrel
