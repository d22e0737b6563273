#include "ui/pages/scenario_column.h"

#include <QPainter>
#include <QVBoxLayout>

#include "inputs/subscription_inputs.h"
#include "ui/form/inputs_view.h"
#include "ui/table/table_view.h"

namespace velmora {

ScenarioColumn::ScenarioColumn(SubscriptionInputs* inputs, QColor colour, const QString& name,
                               QWidget* parent, ScenarioEditor* editor)
    : QWidget(parent),
      inputs_(inputs),
      colour_(colour),
      form_(new InputsView(inputs, this, editor)),
      table_(new TableView(this, TableView::Width::Fill)) {
    setAccessibleName(name);
    table_->setLeastHeight(tableHeight);
    auto* layout = new QVBoxLayout(this);
    // Room for the outline, so it never touches the controls inside.
    const int inset = static_cast<int>(outlineWidth) + 3;
    layout->setContentsMargins(inset, inset, inset, inset);
    layout->addWidget(form_);
    layout->addWidget(table_, 1);
    refresh();
}

void ScenarioColumn::refresh() {
    const auto projection = inputs_->projection();
    table_->setVisible(projection != nullptr);
    if (projection) {
        const std::optional<Plan>& plan = inputs_->plan();
        table_->setProjection(projection, inputs_->price(), plan ? plan->startMonth : std::nullopt);
    }
}

QSize ScenarioColumn::sizeHint() const {
    return {minimumSizeHint().width(), QWidget::sizeHint().height()};
}

void ScenarioColumn::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(colour_, outlineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    // The stroke is centred on the path: inset by half its width to keep it whole.
    const qreal half = outlineWidth / 2;
    painter.drawRoundedRect(QRectF(rect()).adjusted(half, half, -half, -half), outlineRadius,
                            outlineRadius);
}

}  // namespace velmora
