#include "platform/host/qt/native_dialogs.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "platform/host/qt/system_palette.h"

namespace qt_host {
namespace {

constexpr UINT kIconMask = 0x000000F0;
constexpr UINT kButtonMask = 0x0000000F;
constexpr UINT kIconHand = 0x10;
constexpr UINT kIconQuestion = 0x20;
constexpr UINT kIconExclamation = 0x30;
constexpr UINT kIconAsterisk = 0x40;

QMessageBox::Icon IconOf(UINT type) {
    switch (type & kIconMask) {
        case kIconHand: return QMessageBox::Critical;
        case kIconQuestion: return QMessageBox::Question;
        case kIconExclamation: return QMessageBox::Warning;
        case kIconAsterisk: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

// A modal box with an owner blocks only the owner's window; without one, the whole
// application, as the platform's task-modal boxes do.
void SetModality(QWidget* dialog, QWidget* owner) {
    dialog->setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
}

// The dialog's frame wears the program's colours; the folders, files and the name being
// typed keep the desktop's, as the user's own content rather than the program's.
void KeepDesktopLookInside(QWidget* dialog) {
    const QPalette desktop = DesktopPalette();
    for (QAbstractItemView* view : dialog->findChildren<QAbstractItemView*>()) view->setPalette(desktop);
    for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) edit->setPalette(desktop);
}

}  // namespace

void ShowMessageBox(QWidget* owner, const user_host::MessageBoxRequest& request, std::function<void(int)> done) {
    auto* box = new QMessageBox(owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(QString::fromLocal8Bit(request.caption.c_str()));
    box->setText(QString::fromLocal8Bit(request.text.c_str()));
    box->setIcon(IconOf(request.type));
    QPushButton* ok = box->addButton(QMessageBox::Ok);
    QPushButton* cancel = nullptr;
    if ((request.type & kButtonMask) == MB_OKCANCEL) cancel = box->addButton(QMessageBox::Cancel);
    box->setDefaultButton(ok);
    // Escape or the close button on an OK-only box still answers OK, as on the platform.
    box->setEscapeButton(cancel ? cancel : ok);
    SetModality(box, owner);
    QObject::connect(box, &QDialog::finished, box, [box, cancel, done = std::move(done)](int) {
        const bool cancelled = cancel && box->clickedButton() == cancel;
        if (done) done(cancelled ? IDCANCEL : IDOK);
    });
    box->show();
}

void ShowOpenFile(QWidget* owner, const user_host::OpenFileRequest& request,
                  std::function<void(bool, const std::string&)> done) {
    const QString dir = request.initialDir.empty() ? QDir::currentPath() : QFile::decodeName(request.initialDir.c_str());
    auto* dialog = new QFileDialog(owner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (!request.title.empty()) dialog->setWindowTitle(QString::fromLocal8Bit(request.title.c_str()));
    dialog->setDirectory(dir);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    const QStringList filters = NameFilters(request.filters);
    if (!filters.isEmpty()) {
        dialog->setNameFilters(filters);
        const int selected = request.selectedFilter >= 0 && request.selectedFilter < filters.size()
                                 ? request.selectedFilter
                                 : 0;
        dialog->selectNameFilter(filters[selected]);
    }
    SetModality(dialog, owner);
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, done = std::move(done)](int result) {
        const QStringList files = dialog->selectedFiles();
        if (result != QDialog::Accepted || files.isEmpty()) {
            if (done) done(false, std::string());
            return;
        }
        const QByteArray path = QFile::encodeName(QDir::toNativeSeparators(files.first()));
        if (done) done(true, std::string(path.constData(), static_cast<std::size_t>(path.size())));
    });
    dialog->show();
    KeepDesktopLookInside(dialog);  // its widgets exist once it is shown
}

QStringList NameFilters(const std::vector<std::pair<std::string, std::string>>& filters) {
    QStringList out;
    for (const auto& [name, pattern] : filters) {
        QStringList patterns = QString::fromLocal8Bit(pattern.c_str()).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) p = p.trimmed();
        patterns.removeAll(QString());
        if (patterns.isEmpty()) continue;
        const QString joined = patterns.join(QLatin1Char(' '));
        QString label = QString::fromLocal8Bit(name.c_str()).trimmed();
        // Descriptions often carry their patterns already ("Wave files(*.wav)"); the
        // toolkit adds them again, so they would show twice.
        for (const QString& own : {QString::fromLocal8Bit(pattern.c_str()).trimmed(), joined}) {
            const QString tail = QLatin1Char('(') + own + QLatin1Char(')');
            if (label.size() > tail.size() && label.endsWith(tail)) label = label.chopped(tail.size()).trimmed();
        }
        if (label.isEmpty()) label = joined;
        out << QStringLiteral("%1 (%2)").arg(label, joined);
    }
    return out;
}

}  // namespace qt_host
