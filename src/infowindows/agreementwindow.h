#pragma once

#include <QPointer>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

// The licence agreement offered on the first run. It is shown while the shipped text "Software
// License" is in the resources folder: "Accept" deletes that file and shows the welcome,
// "Decline" ends the program at once and leaves everything as it was, so the agreement is offered
// again at the next start.
class LicenseAgreementWindow final : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize Size{482, 458};

    // The open window; created (not shown) when there is none.
    static LicenseAgreementWindow *instance();
    // The open window, or nullptr.
    static LicenseAgreementWindow *existing();
    static void closeIfOpen();

    QPlainTextEdit *LicenseAgreementEditField1;
    QPushButton *AgreePushButton;
    QPushButton *DeclinePushButon;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    LicenseAgreementWindow();
    void accept();
    void decline();

    static QPointer<LicenseAgreementWindow> s_window;
};

namespace infowindows {

// Start-up: while the agreement file exists, puts its whole text into the agreement window and
// shows it, without waiting for the answer. True when it was shown.
bool showAgreementIfPresent();

// True once the user has declined the agreement. The program is then quitting, and nothing may
// be written on the way out: the shutdown and every closing window skip their writes.
[[nodiscard]] bool declined();

} // namespace infowindows
