#include "ui/app/main_dialog.h"

#include "engine/texts.h"
#include "platform/qsettings_store.h"
#include "ui/app/about_dialog.h"
#include "ui/app/desktop_notifier.h"
#include "ui/app/help_window.h"
#include "ui/app/tool_bar_button.h"
#include "ui/app/session_commands.h"
#include "ui/app/app_icon.h"
#include "ui/app/tray_icon.h"
#include "ui/controls/anchor_layout.h"
#include "ui/controls/dialog_units.h"
#include "ui/controls/ids.h"
#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"
#include "ui/results/queued_row_sink.h"
#include "ui/results/results_list_ctrl.h"
#include "ui/results/results_page.h"
#include "ui/search/progress_dialog.h"
#include "ui/search/search_parameters_dialog.h"
#include "ui/search/search_runner.h"
#include "ui/search/statistics_dialog.h"
#include "ui/settings/preferences_command.h"
#include "ui/tools/installed_programs_page.h"
#include "ui/tools/recycle_bin_cleaner.h"
#include "ui/tools/system_info_page.h"
#include "ui/tools/temp_files_page.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

namespace dw::ui {

namespace {

// Tab order of the four result kinds.
constexpr std::array<dw::ResultKind, dw::kResultKindCount> kTabKinds = {
    dw::ResultKind::ByMask, dw::ResultKind::BySize, dw::ResultKind::Duplicates, dw::ResultKind::Old};

const char* tabTitle(dw::ResultKind kind)
{
    switch (kind) {
    case dw::ResultKind::ByMask:
        return text::TabByMask;
    case dw::ResultKind::BySize:
        return text::TabBySize;
    case dw::ResultKind::Duplicates:
        return text::TabDuplicates;
    case dw::ResultKind::Old:
        return text::TabOld;
    }
    return "";
}

dw::Colour toColour(const QColor& colour)
{
    return static_cast<dw::Colour>(colour.red()) | (static_cast<dw::Colour>(colour.green()) << 8) |
           (static_cast<dw::Colour>(colour.blue()) << 16);
}

// The theme's icon, with a fallback from the style so a button never shows blank.
QIcon themeIcon(const char* name, QStyle::StandardPixmap fallback, const QWidget* widget)
{
    return QIcon::fromTheme(QString::fromLatin1(name), widget->style()->standardIcon(fallback));
}

}  // namespace

MainDialog::MainDialog(QWidget* parent) : QWidget(parent, Qt::Window)
{
    withId(this, id::MainDialog);
    setWindowTitle(text::qs(text::ProgramName));
    setWindowIcon(appIcon());

    {
        auto store = dw::platform::QSettingsStore::forUser(dw::platform::executableBaseName());
        dw::SystemColours system;
        system.window = toColour(palette().color(QPalette::Base));
        system.windowText = toColour(palette().color(QPalette::Text));
        settings_.load(store, system);
    }

    DialogUnits du(font());
    resize(du.size(354, 244));
    setMinimumSize(540, 425);
    buildToolButtons();

    progress_ = new ProgressDialog(this);
    progress_->hide();
    buildTabs();
    // Open wide enough for every tab title; narrower sizes scroll the tabs.
    const int tabsWidth = tabs_->tabBar()->sizeHint().width() + du.x(4);
    if (tabsWidth > width())
        resize(tabsWidth, height());

    tray_ = new TrayIcon(this);
    progress_->setBackgroundHidesOwner(tray_->available());
    connect(tray_, &TrayIcon::openRequested, this, &MainDialog::restoreFromTray);
    connect(tray_, &TrayIcon::exitRequested, this, &MainDialog::quit);
    connect(progress_, &ProgressDialog::phaseChanged, tray_, &TrayIcon::setTip);
    notice_ = new SearchEndNotice(this, progress_, tray_);

    runner_ = new SearchRunner(this);
    connect(runner_, &SearchRunner::finished, this, &MainDialog::onSearchFinished);
}

MainDialog::~MainDialog()
{
    runner_->cancelAndWait();
}

void MainDialog::buildToolButtons()
{
    DialogUnits du(font());
    anchors_ = new AnchorLayout(this);
    struct ButtonInfo {
        int id;
        const char* text;
        const char* icon;
        QStyle::StandardPixmap fallback;
    };
    const ButtonInfo left[] = {
        {id::SearchButton, text::Search, "system-search", QStyle::SP_FileDialogContentsView},
        {id::PreferencesButton, text::Preferences, "preferences-system", QStyle::SP_FileDialogDetailedView},
        {id::EmptyTrashButton, text::EmptyTrash, "user-trash-full", QStyle::SP_TrashIcon},
    };
    const ButtonInfo right[] = {
        {id::HelpButton, text::Help, "help-browser", QStyle::SP_DialogHelpButton},
        {id::AboutButton, text::About, "help-about", QStyle::SP_MessageBoxInformation},
    };
    // Pointer over a button: the button face lightened by 0x1E in every channel.
    QColor face = palette().color(QPalette::Button);
    QColor hover(std::min(255, face.red() + 0x1E), std::min(255, face.green() + 0x1E),
                 std::min(255, face.blue() + 0x1E));
    auto make = [&](const ButtonInfo& info) {
        auto* button = withId(new ToolBarButton(this), info.id);
        button->setText(text::qs(info.text));
        button->setIcon(themeIcon(info.icon, info.fallback, this));
        button->setIconSize(QSize(du.y(20), du.y(20)));
        button->setHoverColour(hover);
        button->setFocusPolicy(Qt::StrongFocus);
        // Designed 49 x 40 dialog units; wider where the Russian text needs it.
        int width = std::max(du.x(49), button->fontMetrics().horizontalAdvance(button->text()) + du.x(6));
        button->resize(width, du.y(40));
        return button;
    };
    int x = 0;
    for (const ButtonInfo& info : left) {
        QToolButton* button = make(info);
        button->move(x, du.y(1));
        x += button->width() + du.x(1);
    }
    int rightEdge = du.x(354);
    for (auto it = std::rbegin(right); it != std::rend(right); ++it) {
        QToolButton* button = make(*it);
        rightEdge -= button->width();
        button->move(rightEdge, du.y(1));
        rightEdge -= du.x(1);
        anchors_->add(button, AnchorLayout::Right);
    }

    auto* search = findById<ToolBarButton>(this, id::SearchButton);
    searchMenu_ = new QMenu(search);
    QAction* newSearch = searchMenu_->addAction(text::qs(text::NewSearch));
    newSearch->setObjectName(QString::number(id::CmdNewSearch));
    connect(newSearch, &QAction::triggered, this, &MainDialog::newSearch);
    QAction* load = searchMenu_->addAction(text::qs(text::LoadResults));
    load->setObjectName(QString::number(id::CmdLoadResults));
    connect(load, &QAction::triggered, this, [this] { sessions_->load(); });
    QAction* save = searchMenu_->addAction(text::qs(text::SaveResults));
    save->setObjectName(QString::number(id::CmdSaveResults));
    connect(save, &QAction::triggered, this, [this] { sessions_->save(); });
    search->setPopupMenu(searchMenu_);

    connect(findById<QToolButton>(this, id::PreferencesButton), &QToolButton::clicked, this,
            [this] { showPreferences(); });
    auto* trashCleaner = new RecycleBinCleaner(this);
    connect(findById<QToolButton>(this, id::EmptyTrashButton), &QToolButton::clicked, trashCleaner,
            &RecycleBinCleaner::empty);
    connect(findById<QToolButton>(this, id::AboutButton), &QToolButton::clicked, this, &MainDialog::showAbout);
    connect(findById<QToolButton>(this, id::HelpButton), &QToolButton::clicked, this, &MainDialog::showHelp);
}

void MainDialog::buildTabs()
{
    DialogUnits du(font());
    tabs_ = withId(new QTabWidget(this), id::TabControl);
    tabs_->setGeometry(du.rect(0, 43, 354, 201));
    anchors_->add(tabs_, AnchorLayout::All);

    for (dw::ResultKind kind : kTabKinds) {
        auto* page = new ResultsPage(kind, settings_.view, tabs_);
        page->setSortEnabled(kind != dw::ResultKind::Duplicates);
        // Operations read the settings when they run and report through the shared window.
        page->list()->setSettings(&settings_);
        page->list()->setProgressWindow(progress_);
        pages_[static_cast<std::size_t>(kind)] = page;
        tabs_->addTab(page, text::qs(tabTitle(kind)));
    }
    auto* tempFiles = new TempFilesPage(tabs_);
    tempFiles->setSettings(&settings_);
    tabs_->addTab(tempFiles, text::qs(text::TabTempFiles));
    tabs_->addTab(new InstalledProgramsPage(tabs_), text::qs(text::TabPrograms));
    tabs_->addTab(new SystemInfoPage(tabs_), text::qs(text::TabSystemInfo));
    tabs_->setCurrentIndex(0);

    std::array<ResultsModel*, dw::kResultKindCount> models{};
    for (dw::ResultKind kind : kTabKinds)
        models[static_cast<std::size_t>(kind)] = page(kind)->list()->resultsModel();
    sink_ = new QueuedRowSink(models, settings_.view, this);
    sessions_ = new SessionCommands(pages_, tabs_, progress_, this);
    sessions_->setAppearance(settings_.view);
    connect(sink_, &QueuedRowSink::finderStartedOn, this, [this](dw::ResultKind kind) {
        tabs_->setCurrentWidget(page(kind));
    });
}

ResultsPage* MainDialog::page(dw::ResultKind kind) const { return pages_[static_cast<std::size_t>(kind)]; }

bool MainDialog::searchRunning() const { return runner_->running() || sessions_->running(); }

void MainDialog::newSearch()
{
    if (searchRunning())
        return;
    SearchParametersDialog dialog(this);
    dialog.setScope(request_.scope);
    dialog.setPreferencesEnabled(true);
    connect(&dialog, &SearchParametersDialog::preferencesRequested, this, [this, &dialog] { showPreferences(&dialog); });
    if (dialog.exec() != QDialog::Accepted)
        return;
    startSearch(dialog.request());
}

void MainDialog::startSearch(const dw::SearchRequest& request)
{
    if (searchRunning())
        return;
    request_ = request;
    for (std::string& path : request_.scope)
        if (path.empty() || path.back() != '/')
            path.push_back('/');
    sink_->setAppearance(settings_.view);
    progress_->begin(QString::fromUtf8(dw::text::Searching));
    tray_->setTip(QString::fromUtf8(dw::text::Analysing));
    notice_->searchStarted();
    runner_->start(settings_, request_, progress_->progress(), *sink_);
}

void MainDialog::onSearchFinished(const dw::SearchStatistics& stats)
{
    sink_->flush();
    progress_->end();
    tray_->setTip(text::qs(text::ProgramName));
    Q_EMIT searchFinished(stats);
    if (quitting_)
        return;
    notice_->searchFinished(stats);
    StatisticsDialog dialog(stats, isVisible() ? this : nullptr);
    dialog.exec();
}

void MainDialog::restoreFromTray()
{
    if (isVisible() && !isMinimized())
        return;
    showNormal();
    raise();
    activateWindow();
    // A running job owns the input: bring its progress window to the front.
    if (!isEnabled() || searchRunning()) {
        progress_->show();
        progress_->raise();
    }
}

void MainDialog::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized() || !tray_->available())
        return;
    // Minimised windows live in the notification area, not on the task bar.
    QMetaObject::invokeMethod(this, [this] { hide(); }, Qt::QueuedConnection);
}

void MainDialog::closeEvent(QCloseEvent* event)
{
    quit();
    event->accept();
}

void MainDialog::quit()
{
    quitting_ = true;
    runner_->cancelAndWait();
    sessions_->cancelAndWait();
    QCoreApplication::quit();
}

void MainDialog::showPreferences(QWidget* owner)
{
    // A running job reads the settings.
    if (searchRunning())
        return;
    auto store = dw::platform::QSettingsStore::forUser(dw::platform::executableBaseName());
    if (!editPreferences(settings_, store, owner ? owner : this, {helpFile(), nullptr}))
        return;
    for (ResultsPage* resultsPage : pages_)
        resultsPage->list()->reloadAppearance(settings_.view);
    sink_->setAppearance(settings_.view);
    sessions_->setAppearance(settings_.view);
}

void MainDialog::showAbout()
{
    AboutDialog dialog(this);
    dialog.exec();
}

QString MainDialog::helpFile()
{
    // Beside the program in a build tree, in the documentation folder once installed.
    const QString name = QStringLiteral("diskwright.html");
    const QDir programDir(QCoreApplication::applicationDirPath());
    for (const QString& candidate : {programDir.filePath(name),
                                     programDir.filePath(QStringLiteral("../share/doc/diskwright/") + name)}) {
        if (QFileInfo::exists(candidate))
            return QDir::cleanPath(candidate);
    }
    return QDir(QStringLiteral(DW_INSTALLED_DOC_DIR)).filePath(name);
}

void MainDialog::showHelp()
{
    auto* launcher = findChild<HelpLauncher*>();
    if (!launcher)
        launcher = new HelpLauncher(this);
    launcher->open(helpFile());
}

}  // namespace dw::ui
