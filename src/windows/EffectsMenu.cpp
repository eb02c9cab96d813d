#include "windows/EffectsMenu.h"

#include "common/Designs.h"
#include "widgets/Label.h"
#include "widgets/MessageBox.h"
#include "widgets/PictureBox.h"
#include "widgets/Pictures.h"
#include "widgets/WindowLook.h"

namespace quarn {

namespace d = design::menus;

EffectsMenu::EffectsMenu(QAction* melter, QAction* about)
    : menu_(new QMenu(QString::fromLatin1(d::kMnuSavers), this)) {
    setObjectName(QStringLiteral("Menus"));
    setWindowTitle(QString::fromLatin1(d::kCaption));
    setWindowIcon(LoadIcon(QString::fromLatin1(d::kIcon)));
    resize(PixelRect({0, 0, d::kClientWidth, d::kClientHeight}).size());
    menu_->setObjectName(QStringLiteral("mnuSavers"));
    melter->setObjectName(QStringLiteral("mnuSaverItems0"));
    about->setObjectName(QStringLiteral("mnuSaverItems1"));
    menu_->addAction(melter);
    menu_->addAction(about);
}

void EffectsMenu::Popup(QPoint at) {
    menu_->exec(at);
}

} // namespace quarn
