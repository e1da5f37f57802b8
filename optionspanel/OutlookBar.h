// The options panel: a dock at the left of the main window holding one button
// per option page, the pages opening one at a time below their buttons.
#pragma once

#include <QDockWidget>
#include <QElapsedTimer>
#include <QList>
#include <QIcon>
#include <QImage>

class QMainWindow;
class QToolBox;

class COutlookBar : public QDockWidget
{
    Q_OBJECT

public:
    COutlookBar();

    // Creates the panel's window and its button box, docked left in parent.
    bool Create(const QString& windowName, QMainWindow* parent, const QRect& rect, int id);

    // The box of buttons and pages, or null before Create.
    QToolBox* GetUnderlyingWindow() const { return m_pToolBox; }

    // Cuts a strip of square images into icons; pixels of the transparent
    // colour become transparent. Buttons added before take their new images.
    bool SetImageList(const QPixmap& strip, int imageWidth, const QColor& transparent);
    // The image with every pixel of the transparent colour made transparent.
    static QImage Transparent(const QImage& image, const QColor& transparent);
    // Adds a page button with the caption and the strip's image at imageIndex.
    void AddControl(QWidget* pane, const QString& caption, int imageIndex);

    // Lets the user rename a button by double-clicking its caption (off unless
    // asked for: a double click otherwise only opens the page).
    void EnableInPlaceEdit(bool enable) { m_bInPlaceEdit = enable; }
    bool IsInPlaceEditEnabled() const { return m_bInPlaceEdit; }
    // Fades a newly opened page in.
    void EnableAnimation(bool enable) { m_bAnimation = enable; }
    bool IsAnimationEnabled() const { return m_bAnimation; }
    void SetButtonsFont(const QFont& font);

    int Id() const { return m_nId; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsPageButton(const QObject* object) const;
    // Whether the event is a click that follows a click on a page's button
    // closely enough in time and place to make a double click with it.
    bool IsSecondClick(const QObject* watched, const QEvent* event);
    void OnCurrentChanged(int index);
    void EditCaption(int index);

    QToolBox* m_pToolBox = nullptr;
    QList<QIcon> m_aImages;
    QList<int> m_aButtonImages; // each button's index into the images
    int m_nId = 0;
    bool m_bInPlaceEdit = false;
    bool m_bAnimation = true;
    QElapsedTimer m_HeaderClickTime; // since the last click on a page's button
    QPoint m_ptHeaderClick;          // where it was, in screen coordinates
};
