#include "ui/tools/system_info_page.h"

#include "engine/texts.h"
#include "engine/tools/os_version.h"
#include "ui/controls/ids.h"
#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

namespace dw::ui {

namespace {

QLabel* valueLabel(QWidget* parent, int id)
{
    auto* label = withId(new QLabel(parent), id);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QString processorLine(const ProcessorInfo& info)
{
    return QString::fromStdString(info.name + " " + info.speedText);
}

}  // namespace

SystemInfoPage::SystemInfoPage(QWidget* parent) : QWidget(parent)
{
    withId(this, id::SystemInfoPage);
    auto* layout = new QVBoxLayout(this);
    auto* system = new QGridLayout;
    system->setColumnStretch(1, 1);
    system->addWidget(new QLabel(text::qs(dw::text::OsLabel), this), 0, 0);
    QLabel* os = valueLabel(this, id::OsText);
    os->setText(QString::fromStdString(operatingSystemText()));
    os->setWordWrap(true);
    system->addWidget(os, 0, 1);
    system->addWidget(new QLabel(text::qs(dw::text::ProcessorLabel), this), 1, 0);
    processor_ = valueLabel(this, id::ProcessorText);
    processor_->setWordWrap(true);
    system->addWidget(processor_, 1, 1);
    layout->addLayout(system);

    auto* group = new QGroupBox(text::qs(text::DrivesGroup), this);
    auto* drives = new QGridLayout(group);
    combo_ = withId(new QComboBox(group), id::DriveCombo);
    combo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    drives->addWidget(combo_, 0, 0, 1, 3, Qt::AlignLeft);
    struct Row {
        const char* caption;
        int left;
        int right;  // 0: one value only
    };
    const Row rows[] = {
        {dw::text::UsedLabel, id::UsedGrouped, id::UsedScaled},
        {dw::text::FreeLabel, id::FreeGrouped, id::FreeScaled},
        {dw::text::CapacityLabel, id::CapacityGrouped, id::CapacityScaled},
        {dw::text::SectorsPerClusterLabel, id::SectorsPerCluster, 0},
        {dw::text::BytesPerSectorLabel, id::BytesPerSector, 0},
        {dw::text::FreeClustersLabel, id::FreeClusters, 0},
        {dw::text::ClusterSizeLabel, id::ClusterSize, 0},
    };
    int line = 1;
    for (const Row& row : rows) {
        drives->addWidget(new QLabel(text::qs(row.caption), group), line, 0);
        QLabel* left = valueLabel(group, row.left);
        left->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        drives->addWidget(left, line, 1);
        if (row.right) {
            QLabel* right = valueLabel(group, row.right);
            right->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            drives->addWidget(right, line, 2);
        }
        ++line;
    }
    drives->setColumnMinimumWidth(1, fontMetrics().horizontalAdvance(QStringLiteral("000 000 000 000 000 байт")));
    drives->setColumnMinimumWidth(2, fontMetrics().horizontalAdvance(QStringLiteral("0000.00  байт")));
    drives->setColumnStretch(3, 1);
    layout->addWidget(group);
    layout->addStretch(1);

    fillDrives();
    connect(combo_, qOverload<int>(&QComboBox::activated), this, &SystemInfoPage::showDrive);
    processor_->setText(text::qs(text::Measuring));
}

SystemInfoPage::~SystemInfoPage()
{
    cancel_.store(true, std::memory_order_relaxed);
    if (worker_.joinable())
        worker_.join();
}

void SystemInfoPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    startMeasurement();
}

void SystemInfoPage::startMeasurement()
{
    if (started_)
        return;
    started_ = true;
    ProcessorInfo info = identifyThisProcessor();
    processor_->setText(QString::fromStdString(info.name) + QLatin1Char(' ') + text::qs(text::Measuring));
    worker_ = std::thread([this, info]() mutable {
        measureThisProcessorClock(info, &cancel_);
        if (cancel_.load(std::memory_order_relaxed))
            return;
        const QString line = processorLine(info);
        // Delivered on the GUI thread; dropped if the page is gone by then.
        QMetaObject::invokeMethod(
            this,
            [this, line] {
                processor_->setText(line);
                Q_EMIT processorMeasured(line);
            },
            Qt::QueuedConnection);
    });
}

void SystemInfoPage::fillDrives()
{
    drives_ = fixedDrives();
    const QIcon icon = QIcon::fromTheme(QStringLiteral("drive-harddisk"), style()->standardIcon(QStyle::SP_DriveHDIcon));
    for (const FixedDrive& drive : drives_) {
        QString name = QString::fromStdString(drive.mountPoint);
        if (!drive.device.empty())
            name += QStringLiteral(" (%1)").arg(QString::fromStdString(drive.device));
        combo_->addItem(icon, name);
    }
    // No drive is chosen until the user picks one.
    combo_->setCurrentIndex(-1);
}

void SystemInfoPage::clearDriveFields()
{
    for (int field : {id::UsedGrouped, id::UsedScaled, id::FreeGrouped, id::FreeScaled, id::CapacityGrouped,
                      id::CapacityScaled, id::SectorsPerCluster, id::BytesPerSector, id::FreeClusters, id::ClusterSize})
        findById<QLabel>(this, field)->clear();
}

void SystemInfoPage::showDrive(int index)
{
    clearDriveFields();
    if (index < 0 || index >= static_cast<int>(drives_.size()))
        return;
    combo_->setCurrentIndex(index);
    // A file system that cannot be asked leaves its fields empty.
    const std::optional<DriveFigures> figures = driveFigures(drives_[static_cast<std::size_t>(index)]);
    if (!figures)
        return;
    auto set = [this](int field, const std::string& value) {
        findById<QLabel>(this, field)->setText(QString::fromStdString(value));
    };
    set(id::UsedGrouped, groupedBytes(figures->used));
    set(id::UsedScaled, scaledBytes(figures->used));
    set(id::FreeGrouped, groupedBytes(figures->free));
    set(id::FreeScaled, scaledBytes(figures->free));
    set(id::CapacityGrouped, groupedBytes(figures->capacity));
    set(id::CapacityScaled, scaledBytes(figures->capacity));
    set(id::SectorsPerCluster, std::to_string(figures->sectorsPerCluster));
    set(id::BytesPerSector, std::to_string(figures->bytesPerSector));
    set(id::FreeClusters, std::to_string(figures->freeClusters));
    set(id::ClusterSize, bytesText(figures->clusterSize));
}

}  // namespace dw::ui
