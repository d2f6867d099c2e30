#include "widgets/ListView.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>

#include <algorithm>

#include "layout/Twips.h"

namespace {

constexpr double kDesignColumnWidth = 1440;  // twips

}  // namespace

bool ListItem::isNull() const {
  return !model_ || model_->Generation() != generation_ || row_ < 0 || row_ >= model_->Count();
}

QString ListItem::Text() const { return isNull() ? QString() : model_->Text(row_); }
void ListItem::setText(const QString& text) { if (!isNull()) model_->SetText(row_, text); }
QString ListItem::SubItems(int n) const { return isNull() ? QString() : model_->SubItem(row_, n); }
void ListItem::setSubItems(int n, const QString& text) { if (!isNull()) model_->SetSubItem(row_, n, text); }
qint32 ListItem::Tag() const { return isNull() ? 0 : model_->Tag(row_); }
void ListItem::setTag(qint32 tag) { if (!isNull()) model_->SetTag(row_, tag); }
QString ListItem::UserValue() const { return isNull() ? QString() : model_->UserValue(row_); }
void ListItem::setUserValue(const QString& value) { if (!isNull()) model_->SetUserValue(row_, value); }
int ListItem::SmallIcon() const { return isNull() ? 0 : model_->Picture(row_); }

ListItem ListItemCollection::Item(int index) const {
  if (index < 1 || index > model_->Count()) return {};
  return ListItem(model_, index - 1);
}

QString ColumnHeader::Text() const {
  return view_->model()->headerData(index_ - 1, Qt::Horizontal, Qt::DisplayRole).toString();
}

double ColumnHeader::Width() const {
  return layout::PixelsToTwips(view_->header()->sectionSize(index_ - 1), view_->screen()->logicalDotsPerInchX());
}

bool ColumnHeader::setWidth(double twips) {
  if (!(twips >= 0)) return false;
  view_->header()->resizeSection(index_ - 1, layout::TwipsToPixels(twips, view_->screen()->logicalDotsPerInchX()));
  return true;
}

ListView::ListView(const QStringList& columnTitles, const ImageList* pictures, QWidget* parent)
    : QTableView(parent), model_(new ListModel(columnTitles, pictures, this)) {
  setModel(model_);
  setShowGrid(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setTabKeyNavigation(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setIconSize(QSize(16, 16));
  QHeaderView* rows = verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(RowHeight());
  header()->setHighlightSections(false);
  header()->setStretchLastSection(false);
  header()->setSectionsMovable(false);
  header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  for (int i = 1; i <= ColumnCount(); ++i) ColumnHeaders(i).setWidth(kDesignColumnWidth);
}

// A line of text or a picture, whichever is taller, with the margins of a list row.
int ListView::RowHeight() const {
  const int margin = style()->pixelMetric(QStyle::PM_FocusFrameVMargin, nullptr, this) + 1;
  return std::max(fontMetrics().height(), iconSize().height()) + 2 * margin;
}

ListItem ListView::SelectedItem() const {
  const QModelIndexList rows = selectionModel()->selectedRows();
  if (rows.isEmpty()) return {};
  return ListItem(model_, rows.first().row());
}

void ListView::mouseReleaseEvent(QMouseEvent* event) {
  QTableView::mouseReleaseEvent(event);
  // The release that ends a double click belongs to it, not to a second click.
  const bool endsDoubleClick = releaseEndsDoubleClick_;
  releaseEndsDoubleClick_ = false;
  if (event->button() == Qt::LeftButton && !endsDoubleClick && viewport()->rect().contains(event->position().toPoint()))
    emit Click();
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  if (event->button() != Qt::LeftButton) return;
  releaseEndsDoubleClick_ = true;
  emit DblClick();
}
