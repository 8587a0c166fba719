// The two questions start-up may put to the user: the first-run product
// selection and the start-up messages. The main window asks them through this
// interface so that a run without a person (tests, the screenshot hook) can
// answer them.
#pragma once

#include <QString>

class QWidget;

namespace kestrel {

class UiResources;

class StartupPrompts {
public:
    virtual ~StartupPrompts() = default;
    // 1 (TR80A) or 2 (TR80B); 0 when the dialog could not be shown.
    virtual int SelectProduct(QWidget* parent, const UiResources& ui) = 0;
    virtual int ShowMessage(QWidget* parent, const UiResources& ui, const QString& text,
                            const QString& caption, int type) = 0;
};

// The real dialogs.
class InteractivePrompts final : public StartupPrompts {
public:
    int SelectProduct(QWidget* parent, const UiResources& ui) override;
    int ShowMessage(QWidget* parent, const UiResources& ui, const QString& text,
                    const QString& caption, int type) override;
};

} // namespace kestrel
