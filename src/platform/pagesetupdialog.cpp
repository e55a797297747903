#include "platform/pagesetupdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
// Item data of the entry that stands for the format's own paper when it is not a common one
// (a custom size, or one a printer offered); it keeps that exact QPageSize.
constexpr int OwnPaper = -1;
} // namespace

QList<QPageSize::PageSizeId> PageSetupDialog::commonPaperSizes()
{
    return {QPageSize::Letter, QPageSize::Legal,     QPageSize::Executive, QPageSize::Tabloid,
            QPageSize::A3,     QPageSize::A4,        QPageSize::A5,        QPageSize::B5,
            QPageSize::JisB5,  QPageSize::Envelope10};
}

PageSetupDialog::PageSetupDialog(const PageFormat &format, QWidget *parent)
    : QDialog(parent), m_initial(format), m_paper(new QComboBox(this)),
      m_portrait(new QRadioButton(tr("Portrait"), this)),
      m_landscape(new QRadioButton(tr("Landscape"), this)), m_scale(new QSpinBox(this))
{
    setObjectName(QStringLiteral("PageSetupDialog"));
    setWindowTitle(tr("Page Setup"));

    m_paper->setObjectName(QStringLiteral("paperComboBox"));
    const auto common = commonPaperSizes();
    if (format.pageSize.id() == QPageSize::Custom || !common.contains(format.pageSize.id()))
        m_paper->addItem(format.pageSize.name(), OwnPaper);
    for (QPageSize::PageSizeId id : common)
        m_paper->addItem(QPageSize::name(id), int(id));
    const int current = m_paper->findData(format.pageSize.id() == QPageSize::Custom ||
                                                  !common.contains(format.pageSize.id())
                                              ? OwnPaper
                                              : int(format.pageSize.id()));
    m_paper->setCurrentIndex(std::max(0, current));

    m_portrait->setObjectName(QStringLiteral("portraitRadioButton"));
    m_landscape->setObjectName(QStringLiteral("landscapeRadioButton"));
    (format.orientation == QPageLayout::Landscape ? m_landscape : m_portrait)->setChecked(true);
    auto *orientationRow = new QHBoxLayout;
    orientationRow->addWidget(m_portrait);
    orientationRow->addWidget(m_landscape);
    orientationRow->addStretch();

    m_scale->setObjectName(QStringLiteral("scaleSpinBox"));
    m_scale->setRange(PageFormat::MinScale, PageFormat::MaxScale);
    m_scale->setSuffix(QStringLiteral(" %"));
    m_scale->setValue(format.scalePercent);

    auto *hint = new QLabel(
        tr("The Auto-Scaling Guide shows the scale at which a large selection fits on one page."),
        this);
    hint->setObjectName(QStringLiteral("scaleHintLabel"));
    hint->setWordWrap(true);
    QFont small = hint->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    hint->setFont(small);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *form = new QFormLayout;
    form->addRow(tr("Paper size:"), m_paper);
    form->addRow(tr("Orientation:"), orientationRow);
    form->addRow(tr("Scale:"), m_scale);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addStretch();
    layout->addWidget(buttons);
}

PageFormat PageSetupDialog::format() const
{
    PageFormat result = m_initial;
    const int paper = m_paper->currentData().toInt();
    if (paper != OwnPaper)
        result.pageSize = QPageSize(static_cast<QPageSize::PageSizeId>(paper));
    result.orientation = m_landscape->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait;
    result.scalePercent = m_scale->value();
    return result;
}
