#pragma once

#include "engine/search/progress.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace dw::ui {

// The one progress window of the program. Workers report through progress()
// from any thread: texts and range reach the window as queued calls, the
// position is an atomic the window's 100 ms timer turns into the bar, and
// the cancel flag is set here and read by the worker between units of work.
class ProgressDialog : public QDialog {
    Q_OBJECT
public:
    explicit ProgressDialog(QWidget* owner);
    ~ProgressDialog() override;

    // The worker's side; valid as long as the dialog.
    dw::Progress& progress();

    // Job start on the GUI thread: position 0, cancel cleared, owner disabled, shown.
    void begin(const QString& title);
    // Job end: owner enabled, window hidden.
    void end();

    // Whether "Фоновый" also hides the main window (false where there is no tray).
    void setBackgroundHidesOwner(bool hides) { backgroundHidesOwner_ = hides; }

    QString phaseText() const;
    QString folderText() const;
    bool animating() const { return animating_; }
    int barValue() const;

Q_SIGNALS:
    void sentToBackground();
    // The first line changed; the main window mirrors it in the tray tip.
    void phaseChanged(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    class WorkerSide;
    friend class WorkerSide;

    void setPhase(const QString& text);
    void setFolder(const QString& text);
    void setAnimation(bool on);
    void setRange(quint64 lower, quint64 upper);
    void tick();
    void requestCancel();
    void goBackground();

    std::unique_ptr<WorkerSide> worker_;
    QPointer<QWidget> owner_;
    QLabel* phase_;
    QLabel* folder_;
    QString folderFull_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    QPushButton* background_;
    QTimer* timer_;
    quint64 lower_ = 0;
    quint64 upper_ = 100;
    quint64 shown_ = 0;
    bool animating_ = false;
    bool backgroundHidesOwner_ = true;
};

}  // namespace dw::ui
