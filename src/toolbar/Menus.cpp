#include "toolbar/Menus.h"

#include "common/Globals.h"
#include "effects/TheMelter.h"
#include "forms/Designs.h"
#include "forms/FormKit.h"
#include "splash/FrmAbout.h"

#include <QIcon>

namespace quarn {

namespace d = design::menus;

Menus::Menus() : mnuSavers_(new QMenu(QString::fromLatin1(d::kMnuSavers), this)) {
    setObjectName(QStringLiteral("Menus"));
    setWindowTitle(QString::fromLatin1(d::kCaption));
    setWindowIcon(loadIcon(QString::fromLatin1(d::kIcon)));
    resize(pixelRect({0, 0, d::kClientWidth, d::kClientHeight}).size());
    mnuSavers_->setObjectName(QStringLiteral("mnuSavers"));
    const std::array<const char*, 2> captions{d::kMelter, d::kAbout};
    for (std::size_t i = 0; i < items_.size(); ++i) {
        items_[i] = mnuSavers_->addAction(QString::fromLatin1(captions[i]));
        items_[i]->setObjectName(QStringLiteral("mnuSaverItems%1").arg(i));
    }
}

void Menus::PopupSavers(QPoint at) {
    QAction* chosen = mnuSavers_->exec(at);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (chosen == items_[i]) {
            mnuSaverItems_Click(static_cast<std::int16_t>(i));
        }
    }
}

void Menus::mnuSaverItems_Click(std::int16_t index) {
    try {
        switch (index) {
        case 0:
            TheMelter::Run();
            break;
        case 1:
            frmAbout().show();
            frmAbout().raise();
            break;
        default:
            break;
        }
    } catch (...) {
        // The effects are extras: whatever goes wrong there, the player goes on.
    }
}

} // namespace quarn
