#pragma once

#include <QObject>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace dw::ui {

// "Очистить корзину": one question with the number of items, then every
// Trash of the user is emptied with a progress window that keeps the
// program's window alive.
class RecycleBinCleaner : public QObject {
    Q_OBJECT
public:
    // A Yes/No question; true for Yes.
    using Question = std::function<bool(const QString& text)>;
    // A message to read.
    using Notice = std::function<void(const QString& text)>;

    explicit RecycleBinCleaner(QWidget* window);

    // The Trash folders to empty instead of the user's own (tests).
    void setTrashFolders(std::vector<std::string> folders) { folders_ = std::move(folders); }
    void setQuestion(Question question) { question_ = std::move(question); }
    void setNotice(Notice notice) { notice_ = std::move(notice); }

    void empty();

private:
    QWidget* window_;
    std::optional<std::vector<std::string>> folders_;
    Question question_;
    Notice notice_;
};

}  // namespace dw::ui
