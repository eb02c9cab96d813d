#include "windows/EffectsMenu.h"

#include "common/Designs.h"
#include "widgets/Label.h"
#include "widgets/MessageBox.h"
#include "widgets/PictureBox.h"
#include "widgets/Pictures.h"
#include "widgets/WindowLook.h"

namespace quarn {

namespace d = design::menus;

EffectsMenu::EffectsMenu() : menu_(new QMenu(QString::fromLatin1(d::kMnuSavers), this)) {
    setObjectName(QStringLiteral("Menus"));
    setWindowTitle(QString::fromLatin1(d::kCaption));
    setWindowIcon(LoadIcon(QString::fromLatin1(d::kIcon)));
    resize(PixelRect({0, 0, d::kClientWidth, d::kClientHeight}).size());
    menu_->setObjectName(QStringLiteral("mnuSavers"));
    melter_ = menu_->addAction(QString::fromLatin1(d::kMelter));
    melter_->setObjectName(QStringLiteral("mnuSaverItems0"));
    about_ = menu_->addAction(QString::fromLatin1(d::kAbout));
    about_->setObjectName(QStringLiteral("mnuSaverItems1"));
}

void EffectsMenu::Popup(QPoint at) {
    // The chosen item is told of once the menu has gone.
    const QAction* chosen = menu_->exec(at);
    if (chosen == melter_) {
        emit MeltChosen();
    } else if (chosen == about_) {
        emit AboutChosen();
    }
}

} // namespace quarn
