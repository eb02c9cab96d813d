#pragma once

#include <QPainter>
#include <array>

// The product's mark: a steel ring with a tail, a "Q", around a dark lens.
namespace skingen {

// The mark with a play triangle in the lens (splash, icon).
void DrawMark(QPainter& painter, QPointF centre, qreal radius);

// One frame of the About animation: the ring's four bright arcs turned by
// `turn` quarter turns and equaliser bars of the given heights (0..1) in the lens.
using BarHeights = std::array<qreal, 5>;
void DrawAnimatedMark(QPainter& painter, QPointF centre, qreal radius, qreal turn,
                      const BarHeights& bars);

} // namespace skingen
