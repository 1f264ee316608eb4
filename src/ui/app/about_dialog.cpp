#include "ui/app/about_dialog.h"

#include "ui/app/app_icon.h"
#include "ui/controls/hyper_link.h"
#include "ui/controls/ids.h"
#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace dw::ui {

namespace {

constexpr int kMailLink = 263;
constexpr int kHomeLink = 342;
const char* kMailAddress = "diskwright@quillbay.org";

HyperLink* link(const QString& target, const QString& shown, int linkId, QWidget* parent)
{
    return withId(new HyperLink(shown, target, parent), linkId);
}

}  // namespace

QString AboutDialog::mailTarget()
{
    return QStringLiteral("mailto:%1?Subject=%2").arg(QString::fromUtf8(kMailAddress), text::qs(text::ProgramName));
}

QString AboutDialog::homePage() { return QStringLiteral("https://quillbay.org/diskwright/"); }

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    withId(this, id::AboutDialog);
    setWindowTitle(QString::fromUtf8("О программе..."));
    auto* icon = new QLabel(this);
    icon->setPixmap(appIcon().pixmap(48, 48));
    auto* grid = new QGridLayout;
    grid->addWidget(icon, 0, 0, 4, 1, Qt::AlignTop);
    auto* name = new QLabel(QString::fromUtf8("Diskwright Версия " DW_VERSION), this);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    grid->addWidget(name, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QString::fromUtf8("С пожеланиями, предложениями обращайтесь"), this), 1, 1, 1, 2);
    grid->addWidget(new QLabel(QString::fromUtf8("по адресу"), this), 2, 1);
    grid->addWidget(link(mailTarget(), QString::fromUtf8(kMailAddress), kMailLink, this), 2, 2);
    grid->addWidget(new QLabel(QString::fromUtf8("Домашняя страница проекта:"), this), 3, 1);
    grid->addWidget(link(homePage(), homePage(), kHomeLink, this), 3, 2);
    grid->setColumnStretch(2, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    withId(buttons->button(QDialogButtonBox::Ok), id::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    grid->addWidget(buttons, 4, 0, 1, 3);
    setLayout(grid);
}

}  // namespace dw::ui
