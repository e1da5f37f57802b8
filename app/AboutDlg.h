// The About box: the logo, the version line and links to the maker's web page
// and to the sales and support mail addresses.
#pragma once

#include <QDialog>
#include <QPixmap>

class CLabel;
class QLabel;
class QPushButton;

class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // Where the logo is drawn, in pixels of the client area, whatever the box's size.
    static constexpr QPoint kLogoPosition{65, 5};

    const QPixmap& Logo() const { return m_Logo; }
    CLabel* VersionLabel() const { return m_pVersion; }
    // The link button with identifier 1042 (web), 1043 (sales) or 1044 (support).
    QPushButton* LinkButton(int id) const;
    // The caption left of that link button.
    QLabel* LinkCaption(int id) const;
    // The address a link button opens.
    static QString LinkTarget(int id);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OnInitDialog();

    QPixmap m_Logo;
    CLabel* m_pVersion = nullptr;
    QLabel* m_aCaptions[3] = {};
    QPushButton* m_aLinks[3] = {};
    QPushButton* m_pOk = nullptr;
};
