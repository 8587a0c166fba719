#include "StartupPrompts.h"

#include "CModelSelectDlg.h"
#include "CMsgBox.h"

namespace kestrel {

int InteractivePrompts::SelectProduct(QWidget* parent, const UiResources& ui) {
    CModelSelectDlg dialog(parent, ui);
    return dialog.exec();
}

int InteractivePrompts::ShowMessage(QWidget* parent, const UiResources& ui, const QString& text,
                                    const QString& caption, int type) {
    return CMsgBox(parent, ui).Show(text, caption, type);
}

} // namespace kestrel
