#include "AboutDlg.h"

#include "DialogTemplate.h"
#include "Label.h"

#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QUrl>

#include <algorithm>

namespace {

const QString kLogoResource = QStringLiteral(":/images/logo.png");
const QString kTemplateVersion = QStringLiteral("Version 1.0");
const QString kVersion = QStringLiteral("Version 1.1");
const QColor kAboutText(0x1b, 0x24, 0x30); // on the white of the box

struct CLink
{
    int m_nId;
    const char* m_sCaption; // the static text left of the button, also its tool tip
    const char* m_sAddress; // shown on the button
    const char* m_sTarget;  // what a click opens
    int m_nLabelX, m_nLabelY, m_nLabelWidth;
    int m_nX, m_nY, m_nWidth, m_nHeight;
};

const CLink kLinks[] = {
    {1042, "Web", "quillmark.example.org", "https://quillmark.example.org/", 20, 84, 16, 85, 80, 103, 14},
    {1043, "Sales", "sales@quillmark.example.org", "mailto:sales@quillmark.example.org", 20, 105, 26, 83, 101, 101, 14},
    {1044, "Support", "support@quillmark.example.org", "mailto:support@quillmark.example.org", 20, 124, 26, 80, 122, 102, 14},
};

// A button drawn as a hyperlink that opens its target when clicked.
QPushButton* MakeLinkButton(const CLink& link, QWidget* parent)
{
    auto* button = new QPushButton(QString::fromUtf8(link.m_sAddress), parent);
    button->setObjectName(QStringLiteral("link%1").arg(link.m_nId));
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QStringLiteral("QPushButton { color: #0645ad; text-decoration: underline;"
                                         " border: none; padding: 0px; background: transparent; }"));
    const QString target = QString::fromUtf8(link.m_sTarget);
    QObject::connect(button, &QPushButton::clicked, button,
                     [target] { QDesktopServices::openUrl(QUrl(target)); });
    return button;
}

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutDlg"));
    setWindowTitle(QString());
    setFixedSize(DialogUnitsToPixels(font(), 0, 0, 225, 191).size());
    auto place = [this](QWidget* widget, int x, int y, int w, int h) {
        widget->setGeometry(DialogUnitsToPixels(font(), x, y, w, h));
    };

    place(new QGroupBox(this), 7, 33, 210, 150);
    m_pVersion = new CLabel(kTemplateVersion, this);
    m_pVersion->setObjectName(QStringLiteral("label1047"));
    m_pVersion->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    place(m_pVersion, 7, 45, 210, 8);
    m_pVersion->setMinimumHeight(m_pVersion->fontMetrics().height());

    for (size_t i = 0; i < std::size(kLinks); ++i)
    {
        const CLink& link = kLinks[i];
        m_aCaptions[i] = new QLabel(QString::fromUtf8(link.m_sCaption), this);
        place(m_aCaptions[i], link.m_nLabelX, link.m_nLabelY, link.m_nLabelWidth, 8);
        m_aCaptions[i]->adjustSize();
        m_aLinks[i] = MakeLinkButton(link, this);
        place(m_aLinks[i], link.m_nX, link.m_nY, link.m_nWidth, link.m_nHeight);
    }

    m_pOk = new QPushButton(tr("OK"), this);
    m_pOk->setDefault(true);
    place(m_pOk, 91, 146, 50, 14);
    m_pOk->setMinimumHeight(m_pOk->sizeHint().height());
    connect(m_pOk, &QPushButton::clicked, this, &QDialog::accept);

    OnInitDialog();
}

void CAboutDlg::OnInitDialog()
{
    // The box is white in every visual style, so its texts are dark in every
    // style, also where the style's own texts are light.
    QPalette white = palette();
    white.setColor(QPalette::Window, QColor(255, 255, 255));
    white.setColor(QPalette::WindowText, kAboutText);
    setPalette(white);
    setAutoFillBackground(true);

    m_Logo.load(kLogoResource); // without it the box simply has no logo

    // The addresses start in one column, at the leftmost of their places, and
    // each caption stands on its address's line, whatever the font makes of
    // their heights.
    int column = width();
    for (QPushButton* link : m_aLinks)
        column = std::min(column, link->x());
    for (size_t i = 0; i < std::size(kLinks); ++i)
    {
        m_aLinks[i]->setToolTip(QString::fromUtf8(kLinks[i].m_sCaption));
        QRect link(QPoint(), m_aLinks[i]->sizeHint());
        link.moveCenter(m_aLinks[i]->geometry().center());
        link.moveLeft(column);
        m_aLinks[i]->setGeometry(link);
        m_aCaptions[i]->move(m_aCaptions[i]->x(), link.center().y() - m_aCaptions[i]->height() / 2);
    }

    m_pVersion->SetTextColour(kAboutText);
    m_pVersion->SetSeeThrough(true);
    m_pVersion->SetLabelText(kVersion);
    update();
}

QPushButton* CAboutDlg::LinkButton(int id) const
{
    for (size_t i = 0; i < std::size(kLinks); ++i)
        if (kLinks[i].m_nId == id)
            return m_aLinks[i];
    return nullptr;
}

QLabel* CAboutDlg::LinkCaption(int id) const
{
    for (size_t i = 0; i < std::size(kLinks); ++i)
        if (kLinks[i].m_nId == id)
            return m_aCaptions[i];
    return nullptr;
}

QString CAboutDlg::LinkTarget(int id)
{
    for (const CLink& link : kLinks)
        if (link.m_nId == id)
            return QString::fromUtf8(link.m_sTarget);
    return QString();
}

void CAboutDlg::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    if (m_Logo.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(kLogoPosition, m_Logo);
}
