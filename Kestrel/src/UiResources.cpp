#include "UiResources.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>
#include <cstdint>

namespace kestrel {

int FontPixelHeight(int points, double dpiX, double dpiY) {
    const double scale = dpiX / 96.0;
    const auto base = static_cast<std::int64_t>(points / scale);
    const auto vertical = static_cast<std::int64_t>(std::lround(dpiY));
    // MulDiv(base, vertical, 72): the product divided with rounding to nearest.
    return static_cast<int>((base * vertical + 36) / 72);
}

UiResources::UiResources() {
    InitWith(96.0, 96.0, 0, std::filesystem::path("."));
}

bool UiResources::Init(QWidget* window) {
    QScreen* screen = window != nullptr ? window->screen() : nullptr;
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return false;
    }
    const int language = playcore::UiLanguageForLocale(playcore::UserMessagesLocale());
    InitWith(screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY(), language,
             std::filesystem::path(QDir::currentPath().toStdString()));
    return true;
}

QStringList UiResources::FontFamilies() const {
    return {Text(113),
            QStringLiteral("Noto Sans CJK JP"),
            QStringLiteral("Noto Sans JP"),
            QStringLiteral("IPAGothic"),
            QStringLiteral("VL Gothic"),
            QStringLiteral("sans-serif")};
}

void UiResources::InitWith(double dpiX, double dpiY, int language,
                           const std::filesystem::path& startDir) {
    texts_ = playcore::UiTexts(language);
    dpiScale_ = dpiX / 96.0;
    const QStringList families = FontFamilies();
    for (size_t i = 0; i < kSizes.size(); ++i) {
        QFont font;
        font.setFamilies(families);
        font.setPixelSize(std::max(1, FontPixelHeight(kSizes[i], dpiX, dpiY)));
        font.setWeight(QFont::Normal);
        font.setStyleStrategy(QFont::PreferDefault);
        fonts_[i] = font;
    }
    startDir_ = startDir;
}

QString UiResources::Text(int id) const {
    return QString::fromUtf8(texts_(id));
}

const QFont& UiResources::Font(int points) const {
    for (size_t i = 0; i < kSizes.size(); ++i) {
        if (kSizes[i] == points) {
            return fonts_[i];
        }
    }
    return fonts_[1];
}

} // namespace kestrel
