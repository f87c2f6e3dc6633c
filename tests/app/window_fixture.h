#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QSettings>
#include <deque>
#include <filesystem>

#include "app/file_list_box.h"
#include "app/sdi_main.h"
#include "app/window_widgets.h"
#include "dialogs/dialog_seam.h"
#include "display/preview_image.h"
#include "support/pictures.h"
#include "support/test_files.h"

namespace lumigram::test {

// A real main window started in a folder of its own, its scratch folder under
// a private runtime folder and its settings empty, with every dialog answered
// from a queue and every request it was shown recorded.
class WindowTest : public ::testing::Test {
  protected:
    WindowTest()
        : start_(QDir::currentPath()),
          runtime_(qgetenv("XDG_RUNTIME_DIR")),
          responder_([this](const DialogRequest& request) { return Answer(request); }) {
        std::filesystem::create_directories(Start());
        std::filesystem::create_directories(Pics());
        std::filesystem::create_directories(Runtime());
        QDir::setCurrent(QString::fromStdString(Start()));
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(Runtime()));
        QSettings().clear();
        window_ = std::make_unique<TSDIAppForm>();
    }
    ~WindowTest() override {
        window_.reset();
        QSettings().clear();
        QDir::setCurrent(start_);
        qputenv("XDG_RUNTIME_DIR", runtime_);
    }

    // The folder the window was started in, and the window's scratch folder.
    std::string Start() const { return dir_.File("start"); }
    std::string Runtime() const { return dir_.File("runtime"); }
    std::string Scratch() const { return window_->ScratchFolder(); }
    std::string Pics() const { return dir_.File("pics"); }
    std::string Pic(const std::string& name) const { return Pics() + "/" + name; }
    std::string Put(const std::string& name, const Bytes& bytes) {
        WriteAll(Pic(name), bytes);
        return Pic(name);
    }

    // Queues the answers for the next dialogs, in order.
    void Expect(std::initializer_list<DialogAnswer> answers) {
        answers_.insert(answers_.end(), answers.begin(), answers.end());
    }
    static DialogAnswer Accept(const std::string& path) {
        return DialogAnswer::Accept(QString::fromStdString(path));
    }

    // Runs an action the way a click does: through the event loop, so that an
    // escaping error reaches the application's error box.
    void Trigger(QAction* action) {
        QMetaObject::invokeMethod(action, "trigger", Qt::QueuedConnection);
        QCoreApplication::processEvents();
    }

    WindowWidgets Widgets() const { return WidgetAccess::Widgets(*window_); }

    // Selects a row as the user does, through the event loop.
    void Choose(int row) {
        Widgets().fileList->setCurrentRow(row);
        QMetaObject::invokeMethod(
            window_.get(), [w = window_.get()] { w->ListBox1Click(); }, Qt::QueuedConnection);
        QCoreApplication::processEvents();
    }

    // Messages shown so far (error boxes and the unpacker's "Error" boxes).
    std::vector<DialogRequest> Messages() const {
        std::vector<DialogRequest> messages;
        for (const DialogRequest& r : requests_) {
            if (r.kind == DialogKind::kMessage) {
                messages.push_back(r);
            }
        }
        return messages;
    }
    std::vector<std::string> ListItems() const;
    QImage PreviewPixels() const;

    TempDir dir_;
    QString start_;
    QByteArray runtime_;
    std::deque<DialogAnswer> answers_;
    std::vector<DialogRequest> requests_;
    ScopedDialogResponder responder_;
    std::unique_ptr<TSDIAppForm> window_;

  private:
    DialogAnswer Answer(const DialogRequest& request) {
        requests_.push_back(request);
        if (request.kind == DialogKind::kMessage) {
            return DialogAnswer::Accept({});
        }
        if (answers_.empty()) {
            ADD_FAILURE() << "unexpected dialog: " << request.title.toStdString();
            return DialogAnswer::Cancel();
        }
        DialogAnswer answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
};

}  // namespace lumigram::test
