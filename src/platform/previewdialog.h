#pragma once

#include <QDialog>
#include <QImage>
#include <QPageLayout>

class QLabel;
class QPushButton;

namespace platform {
class PagedDocument;
}

// Shows a paged document one page at a time, as it will come out of the printer. A page is
// painted only when it is shown, so a long board opens at once and only the pictures of the page
// in view are ever decoded. "Print…" accepts the dialog (the caller then runs the print dialog);
// "Close" rejects it.
class PreviewDialog final : public QDialog
{
    Q_OBJECT
public:
    PreviewDialog(const platform::PagedDocument &doc, const QPageLayout &layout,
                  QWidget *parent = nullptr);

    [[nodiscard]] int page() const { return m_page; } // 0-based
    void showPage(int index);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    class PageView;

    const platform::PagedDocument &m_doc;
    QPageLayout m_layout;
    int m_page = 0;
    PageView *m_view;
    QLabel *m_pageLabel;
    QPushButton *m_previous;
    QPushButton *m_next;
};
