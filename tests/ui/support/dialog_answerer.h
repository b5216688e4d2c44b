// Answers the modal dialogs of a window under test, so that a test never
// blocks in one.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <map>

namespace ntr::test {

// Answers every modal dialog that opens (dialogs are logged by class name): a
// message box is taken note of and closed; a file dialog gets the next of
// `files`; another dialog gets the button whose object name the script gives
// for its class (or is rejected).
class DialogAnswerer : public QObject {
 public:
  DialogAnswerer() {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { Answer(); });
    timer_.start();
    boxes_.setInterval(20);
    QObject::connect(&boxes_, &QTimer::timeout, this, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        messages << box->text();
        box->accept();
      }
    });
  }
  // Looked at first for every dialog but a message box: true when the test
  // deals with it itself (leaves it open for now, as a person reading it, or
  // presses a button of its own choice).
  std::function<bool(QDialog*)> hold;
  // Buttons to press, by the dialog's class name ("ntr::ui::AdoptionDialog").
  std::map<QString, QString> buttons;
  QStringList messages;
  QStringList dialogs;
  // Paths a file dialog is given, one per dialog, in order; a file dialog
  // with none left is rejected.
  QStringList files;

 private:
  void Answer() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      messages << box->text();
      box->accept();
      return;
    }
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (dialog == nullptr || (hold && hold(dialog))) return;
    dialogs << QString::fromLatin1(dialog->metaObject()->className());
    if (auto* chooser = qobject_cast<QFileDialog*>(dialog);
        chooser != nullptr && !files.isEmpty()) {
      // The name goes into the dialog's own edit, which its accept reads.
      const QFileInfo file(files.takeFirst());
      chooser->setDirectory(file.absolutePath());
      chooser->selectFile(file.fileName());
      if (auto* edit = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->setText(file.fileName());
      // The accept may ask in a box of its own (overwrite, no such file):
      // this timer is busy meanwhile, the second one answers the box.
      boxes_.start();
      static_cast<QDialog*>(chooser)->accept();
      boxes_.stop();
      return;
    }
    const auto button = buttons.find(QString::fromLatin1(dialog->metaObject()->className()));
    if (button != buttons.end()) {
      if (auto* pressed = dialog->findChild<QPushButton*>(button->second)) {
        pressed->click();
        return;
      }
    }
    dialog->reject();
  }
  QTimer timer_;
  QTimer boxes_;
};

}  // namespace ntr::test
