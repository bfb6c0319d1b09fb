// Distortion meshes as drawn: cells, node coordinates, displacements and colours.
#include <gtest/gtest.h>

#include "gfx/hgeDistortionMesh.h"
#include "tests/gfx/gfx_fixture.h"

namespace {

using gfx::test::HeadlessEngineTest;

class hgeDistortionMeshTest : public HeadlessEngineTest {};

void expectNode(const hgeVertex& v, float x, float y, float tx, float ty) {
  EXPECT_FLOAT_EQ(v.x, x);
  EXPECT_FLOAT_EQ(v.y, y);
  EXPECT_FLOAT_EQ(v.tx, tx);
  EXPECT_FLOAT_EQ(v.ty, ty);
}

TEST_F(hgeDistortionMeshTest, ThreeByThreeGridDrawsFourCellsInRowOrder) {
  HTEXTURE tex = makeTexture(200, 100);
  hgeDistortionMesh mesh(3, 3);
  mesh.SetTexture(tex);
  mesh.SetTextureRect(20, 10, 100, 60);  // cells 50 x 30
  auto quads = capture([&] { mesh.Render(5, 7); });
  ASSERT_EQ(quads.size(), 4u);
  // Cell (1, 0): nodes (1,0) (2,0) (2,1) (1,1).
  const hgeQuad& q = quads[1];
  expectNode(q.v[0], 55, 7, 0.35f, 0.1f);
  expectNode(q.v[1], 105, 7, 0.6f, 0.1f);
  expectNode(q.v[2], 105, 37, 0.6f, 0.4f);
  expectNode(q.v[3], 55, 37, 0.35f, 0.4f);
  // Cell (0, 1) comes third and ends at node (1, 2).
  expectNode(quads[2].v[0], 5, 37, 0.1f, 0.4f);
  expectNode(quads[2].v[2], 55, 67, 0.35f, 0.7f);
  expectNode(quads[3].v[2], 105, 67, 0.6f, 0.7f);
  EXPECT_EQ(q.tex, tex);
  EXPECT_EQ(q.blend, BLEND_ALPHABLEND | BLEND_ZWRITE);
  EXPECT_EQ(q.v[0].z, 0.5f);
  EXPECT_EQ(q.v[0].col, 0xFFFFFFFFu);
}

TEST_F(hgeDistortionMeshTest, DisplacementReferences) {
  hgeDistortionMesh mesh(3, 3);
  mesh.SetTextureRect(0, 0, 40, 20);  // no texture: divisor is the rect, cells 20 x 10
  mesh.SetDisplacement(1, 1, 0, 0, gfx::kDispNode);
  mesh.SetDisplacement(2, 0, 3, -4, gfx::kDispNode);
  mesh.SetDisplacement(0, 2, 3, -4, gfx::kDispTopLeft);
  mesh.SetDisplacement(2, 2, 1, 2, gfx::kDispCenter);
  mesh.SetDisplacement(0, 0, 9, 9, 7);  // unknown reference: ignored
  auto quads = capture([&] { mesh.Render(0, 0); });
  ASSERT_EQ(quads.size(), 4u);
  expectNode(quads[0].v[0], 0, 0, 0, 0);
  expectNode(quads[0].v[2], 20, 10, 0.5f, 0.5f);     // (1,1) in place
  expectNode(quads[1].v[1], 43, -4, 1, 0);           // (2,0) relative to itself
  expectNode(quads[2].v[3], 3, -4, 0, 1);            // (0,2) relative to the origin
  expectNode(quads[3].v[2], 21, 12, 1, 1);           // (2,2) relative to the centre
  mesh.SetTextureRect(0, 0, 40, 20);  // back on the regular grid
  quads = capture([&] { mesh.Render(0, 0); });
  expectNode(quads[3].v[2], 40, 20, 1, 1);
}

TEST_F(hgeDistortionMeshTest, ColoursAndIndicesOutsideTheGrid) {
  hgeDistortionMesh mesh(2, 2);
  mesh.SetTextureRect(0, 0, 10, 10);
  mesh.SetColor(1, 1, 0x80FF0000);
  for (int bad : {-1, 2, 100}) {
    mesh.SetColor(bad, 0, 0x12345678);
    mesh.SetColor(0, bad, 0x12345678);
    mesh.SetDisplacement(bad, 0, 5, 5, gfx::kDispTopLeft);
    mesh.SetDisplacement(0, bad, 5, 5, gfx::kDispTopLeft);
    EXPECT_EQ(mesh.GetColor(bad, 0), 0u);
    EXPECT_EQ(mesh.GetColor(0, bad), 0u);
  }
  EXPECT_EQ(mesh.GetColor(1, 1), 0x80FF0000u);
  auto quads = capture([&] { mesh.Render(0, 0); });
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_EQ(quads[0].v[2].col, 0x80FF0000u);
  EXPECT_EQ(quads[0].v[0].col, 0xFFFFFFFFu);
  EXPECT_EQ(quads[0].v[1].col, 0xFFFFFFFFu);
  expectNode(quads[0].v[0], 0, 0, 0, 0);
}

TEST_F(hgeDistortionMeshTest, DegenerateGridsDrawNothingAndDoNotDivideByZero) {
  // 65535 x 40000 would ask for about 60 GB.
  for (auto [cols, rows] : {std::pair{1, 5}, {5, 1}, {0, 3}, {-2, -2}, {1, 1}, {65535, 40000}, {2049, 2048}}) {
    hgeDistortionMesh mesh(cols, rows);
    mesh.SetTextureRect(0, 0, 30, 30);
    mesh.SetDisplacement(0, 0, 1, 1, gfx::kDispCenter);
    mesh.SetColor(0, 0, 0);
    auto quads = capture([&] { mesh.Render(0, 0); });
    EXPECT_TRUE(quads.empty()) << cols << "x" << rows;
    EXPECT_GE(mesh.GetCols(), 0);
  }
  hgeDistortionMesh empty(0, 4);
  EXPECT_EQ(empty.GetCols(), 0);
  EXPECT_EQ(empty.GetRows(), 0);
  hgeDistortionMesh largest(2048, 2048);
  EXPECT_EQ(largest.GetCols(), 2048);
}

}  // namespace
