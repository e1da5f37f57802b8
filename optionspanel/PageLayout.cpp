#include "PageLayout.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace {

// A list's template height includes its open drop-down; closed, it is about
// this tall (dialog units).
constexpr int kClosedListHeight = 14;
// Controls whose left edges lie this close (dialog units) share a column.
constexpr int kColumnSlack = 4;
// Digits an edit box shows whole.
const QString kEditSample = QStringLiteral("00000");
// Pixels between a label and the control it names just below it, and around
// the controls inside the page and inside a group box: the panel is narrow and
// must show its tallest page whole on a laptop's screen.
constexpr int kLabelGap = 2;
constexpr int kPageMargin = 4;
constexpr int kGroupMargin = 6;

struct CItem
{
    const CControlTemplate* m_pTemplate;
    QWidget* m_pWidget;
    std::vector<CItem*> m_aChildren; // for group boxes: the controls inside

    int Left() const { return m_pTemplate->m_nX; }
    int Right() const { return m_pTemplate->m_nX + m_pTemplate->m_nWidth; }
    int Top() const { return m_pTemplate->m_nY; }
    int Bottom() const
    {
        const bool list = m_pTemplate->m_nKind == ControlKind::List;
        return Top() + (list ? std::min(m_pTemplate->m_nHeight, kClosedListHeight) : m_pTemplate->m_nHeight);
    }
    bool IsGroup() const { return m_pTemplate->m_nKind == ControlKind::GroupBox; }
    bool Encloses(const CItem& other) const
    {
        const int x = other.Left() + other.m_pTemplate->m_nWidth / 2;
        const int y = other.Top() + (other.Bottom() - other.Top()) / 2;
        return IsGroup() && &other != this && x > Left() && x < Right() && y > Top()
               && y < Top() + m_pTemplate->m_nHeight;
    }
    int Area() const { return m_pTemplate->m_nWidth * m_pTemplate->m_nHeight; }
};

// The start of each column: the distinct left edges, near ones merged.
std::vector<int> ColumnStarts(const std::vector<CItem*>& items)
{
    std::vector<int> lefts;
    for (const CItem* item : items)
        lefts.push_back(item->Left());
    std::sort(lefts.begin(), lefts.end());
    std::vector<int> starts;
    for (int left : lefts)
        if (starts.empty() || left - starts.back() > kColumnSlack)
            starts.push_back(left);
    return starts;
}

int ColumnOf(const std::vector<int>& starts, int x)
{
    int column = 0;
    for (size_t i = 0; i < starts.size(); ++i)
        if (starts[i] <= x + kColumnSlack)
            column = static_cast<int>(i);
    return column;
}

// Rows of items whose vertical extents overlap, top to bottom, each sorted
// left to right.
std::vector<std::vector<CItem*>> Rows(std::vector<CItem*> items)
{
    std::sort(items.begin(), items.end(), [](const CItem* a, const CItem* b) {
        return a->Top() != b->Top() ? a->Top() < b->Top() : a->Left() < b->Left();
    });
    std::vector<std::vector<CItem*>> rows;
    int rowBottom = 0;
    for (CItem* item : items)
    {
        if (rows.empty() || item->Top() >= rowBottom)
        {
            rows.emplace_back();
            rowBottom = item->Bottom();
        }
        rows.back().push_back(item);
        rowBottom = std::max(rowBottom, item->Bottom());
    }
    for (auto& row : rows)
        std::sort(row.begin(), row.end(), [](const CItem* a, const CItem* b) { return a->Left() < b->Left(); });
    return rows;
}

void SetMinimumSize(const CItem& item)
{
    const CControlTemplate& control = *item.m_pTemplate;
    QWidget* widget = item.m_pWidget;
    const QRect size = DialogUnitsToPixels(widget->font(), 0, 0, control.m_nWidth, 0);
    switch (control.m_nKind)
    {
    case ControlKind::List:
        widget->setMinimumWidth(size.width());
        break;
    case ControlKind::DigitEdit:
    {
        // A number box keeps its size: wide enough for its template and a few digits.
        const int frame = 2 * widget->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        const int digits = widget->fontMetrics().horizontalAdvance(kEditSample) + frame + 6;
        widget->setFixedWidth(std::max(size.width(), digits));
        break;
    }
    case ControlKind::Static:
    case ControlKind::CheckBox:
    case ControlKind::GroupBox:
        break; // their texts decide
    }
}

// A label alone in its row, over a list or box alone in the next row and in
// the same column, names that control.
bool IsLabelOver(const std::vector<CItem*>& row, const std::vector<CItem*>& next, const std::vector<int>& starts)
{
    if (row.size() != 1 || next.size() != 1 || row[0]->m_pTemplate->m_nKind != ControlKind::Static)
        return false;
    const ControlKind below = next[0]->m_pTemplate->m_nKind;
    return (below == ControlKind::List || below == ControlKind::DigitEdit)
           && ColumnOf(starts, row[0]->Left()) == ColumnOf(starts, next[0]->Left());
}

// Puts the items into a grid on container; group boxes get their own grids.
QGridLayout* LayOut(QWidget* container, const std::vector<CItem*>& items)
{
    auto* grid = new QGridLayout(container);
    const std::vector<int> starts = ColumnStarts(items);
    const auto rows = Rows(items);
    int gridRow = 0;
    for (size_t r = 0; r < rows.size(); ++r, ++gridRow)
    {
        const auto& row = rows[r];
        for (size_t k = 0; k < row.size(); ++k)
        {
            CItem* item = row[k];
            const int column = ColumnOf(starts, item->Left());
            // An item reaches over the columns its template width covers, up to
            // the next item of its row.
            int last = ColumnOf(starts, item->Right() - 1 - kColumnSlack);
            if (k + 1 < row.size())
                last = std::min(last, ColumnOf(starts, row[k + 1]->Left()) - 1);
            const int span = std::max(1, last - column + 1);
            SetMinimumSize(*item);
            if (r + 1 < rows.size() && IsLabelOver(row, rows[r + 1], starts))
            {
                // The label and its control stay close together, as one cell.
                CItem* control = rows[++r][0];
                SetMinimumSize(*control);
                auto* pair = new QVBoxLayout;
                pair->setSpacing(kLabelGap);
                pair->addWidget(item->m_pWidget);
                pair->addWidget(control->m_pWidget);
                grid->addLayout(pair, gridRow, column, 1, span);
                break;
            }
            const bool edit = item->m_pTemplate->m_nKind == ControlKind::DigitEdit;
            grid->addWidget(item->m_pWidget, gridRow, column, 1, span, edit ? Qt::AlignLeft : Qt::Alignment());
            if (item->IsGroup())
            {
                // A box made taller by its neighbour keeps its controls at its top.
                QGridLayout* inner = LayOut(item->m_pWidget, item->m_aChildren);
                inner->setContentsMargins(kGroupMargin, kGroupMargin, kGroupMargin, kGroupMargin);
                inner->setRowStretch(inner->rowCount(), 1);
            }
        }
    }
    return grid;
}

} // namespace

void LayOutPage(QWidget& page, std::span<const CControlTemplate> controls, std::span<QWidget* const> widgets)
{
    std::vector<CItem> items;
    for (size_t i = 0; i < controls.size() && i < widgets.size(); ++i)
        items.push_back({&controls[i], widgets[i], {}});

    // Each control belongs to the smallest group box around it, or to the page.
    std::vector<CItem*> top;
    for (CItem& item : items)
    {
        CItem* owner = nullptr;
        for (CItem& group : items)
            if (group.Encloses(item) && (!owner || group.Area() < owner->Area()))
                owner = &group;
        (owner ? owner->m_aChildren : top).push_back(&item);
    }

    QGridLayout* grid = LayOut(&page, top);
    grid->setContentsMargins(kPageMargin, kPageMargin, kPageMargin, kPageMargin);
    // Spare room goes to an empty last column and row.
    grid->setColumnStretch(grid->columnCount(), 1);
    grid->setRowStretch(grid->rowCount(), 1);
}
