#pragma once

#include "platform/pageformat.h"

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QRadioButton;
class QSpinBox;

// Our page-setup dialog: paper, orientation and the scale percentage, which Qt's own dialog
// lacks. Margins are not offered; they pass through unchanged.
class PageSetupDialog final : public QDialog
{
    Q_OBJECT
public:
    explicit PageSetupDialog(const PageFormat &format, QWidget *parent = nullptr);

    // The format as the controls show it now.
    [[nodiscard]] PageFormat format() const;

    // The papers offered besides the one the format already has.
    [[nodiscard]] static QList<QPageSize::PageSizeId> commonPaperSizes();

private:
    PageFormat m_initial;
    QComboBox *m_paper;
    QRadioButton *m_portrait;
    QRadioButton *m_landscape;
    QSpinBox *m_scale;
};
