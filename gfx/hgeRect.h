// An axis-aligned rectangle that can grow to enclose points (play field, hit boxes, bounding boxes).
#pragma once

// Edges x1 <= x2, y1 <= y2 once a point is in. A clean rectangle holds no
// point yet, so the first Encapsulate sets all four edges.
class hgeRect {
 public:
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool bClean = true;

  hgeRect() = default;
  hgeRect(float left, float top, float right, float bottom)
      : x1(left), y1(top), x2(right), y2(bottom), bClean(false) {}

  void Set(float left, float top, float right, float bottom);
  // Forgets every point: the next Encapsulate starts over.
  void Clear() { bClean = true; }
  void Encapsulate(float x, float y);
  // Half-open: the low edges belong to the rectangle, the high edges do not,
  // so rectangles that share an edge never both claim a point.
  bool TestPoint(float x, float y) const;
};
