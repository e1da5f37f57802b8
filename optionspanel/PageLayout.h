// Qt layouts for an option page, read from the positions of its template: the
// controls inside a group box go into that box's grid, controls whose tops
// line up share a row, and controls that start at the same x share a column.
// The template's sizes stay as the controls' minimum sizes, so a page grows
// with its texts and fonts and never cuts a control short.
#pragma once

#include "DialogTemplate.h"

#include <span>

class QWidget;

// Lays out widgets[i], made for controls[i], on page. Group boxes get grids of
// their own holding the controls they enclose; the page's grid keeps its
// controls at the top left when the page is larger than they need.
void LayOutPage(QWidget& page, std::span<const CControlTemplate> controls, std::span<QWidget* const> widgets);
