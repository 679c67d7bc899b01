#include "about/ui/aboutbox.h"

#include "base/texts.h"
#include "base/ui/fit.h"

#include <QFont>
#include <QLabel>
#include <QPixmap>

AboutBox::AboutBox(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Acerca"));
    setWindowTitle(texts::kAboutTitle);
    setAttribute(Qt::WA_DeleteOnClose);

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setPixmap(QPixmap(QStringLiteral(":/mirvane.png")));
    picture->setGeometry(8, 8, 73, 65);
    picture->setAccessibleName(QStringLiteral("Mirvane icon"));

    auto *company = new QLabel(texts::kCompany, this);
    company->setObjectName(QStringLiteral("Label2"));
    QFont companyFont(QStringLiteral("MS Sans Serif"));
    companyFont.setPointSizeF(13.5);
    company->setFont(companyFont);
    fit::place(company, {104, 32, 153, 25});

    auto *version = new QLabel(texts::kAboutVersion, this);
    version->setObjectName(QStringLiteral("Label1"));
    fit::place(version, {8, 88, 200, 25});
    // 4125 x 2025 twips, or what a larger font needs.
    setFixedSize(
        std::max(275, std::max(company->geometry().right(), version->geometry().right()) + 16),
        std::max(135, version->geometry().bottom() + 16));
}
