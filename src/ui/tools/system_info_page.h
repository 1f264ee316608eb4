#pragma once

#include "engine/tools/drive_info.h"
#include "engine/tools/processor_info.h"

#include <QWidget>

#include <atomic>
#include <thread>
#include <vector>

class QComboBox;
class QLabel;

namespace dw::ui {

// "Информация о системе": the operating system, the processor with its
// measured clock (measured on a worker so the window stays alive for the
// second it takes), and the figures of a fixed file system chosen in the
// combo box.
class SystemInfoPage : public QWidget {
    Q_OBJECT
public:
    explicit SystemInfoPage(QWidget* parent = nullptr);
    ~SystemInfoPage() override;

    // Identifies the processor and starts measuring its clock (once; done
    // when the page is first shown).
    void startMeasurement();
    // Fills the drive fields for combo item `index`.
    void showDrive(int index);

    const std::vector<FixedDrive>& drives() const { return drives_; }

Q_SIGNALS:
    // The processor line is complete, clock included.
    void processorMeasured(const QString& line);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillDrives();
    void clearDriveFields();

    QLabel* processor_ = nullptr;
    QComboBox* combo_ = nullptr;
    std::vector<FixedDrive> drives_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    bool started_ = false;
};

}  // namespace dw::ui
