// The first-run product selection: two buttons "TR80A" (result 1) and "TR80B"
// (result 2, also for Escape and the close button).
#pragma once

#include "CSkinDialog.h"

namespace kestrel {

class CModelSelectDlg : public CSkinDialog {
    Q_OBJECT
public:
    static constexpr int kDialogFrame = 3;

    CModelSelectDlg(QWidget* parent, const UiResources& ui);

    CSkinButton* okButton() const { return ok_; }
    CSkinButton* cancelButton() const { return cancel_; }

    void reject() override { done(2); }

protected:
    void OnCommand(int commandId) override;

private:
    CSkinButton* ok_ = nullptr;
    CSkinButton* cancel_ = nullptr;
};

} // namespace kestrel
