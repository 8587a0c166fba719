#include "CMsgBox.h"

namespace kestrel {

int CMsgBox::Show(const QString& text, const QString& caption, int type) {
    CMsgDlg dialog(owner_, ui_, text, caption, type);
    return dialog.exec();
}

} // namespace kestrel
