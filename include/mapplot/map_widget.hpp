#pragma once

/// \file
/// map_widget: a map inside the caller's own Qt windows. It needs Qt 6
/// Widgets (CMake: mapplot::screenmap and Qt6::Widgets). Create it and call
/// set_map() on the GUI thread, after the QApplication; no
/// run_windowed_program() is needed.

#include <QWidget>
#include <mapplot/export.hpp>
#include <mapplot/map_request.hpp>
#include <memory>
#include <span>

namespace mapplot {

/// What a map_widget keeps: its map, texts and view (private).
struct map_widget_state;

/// A QWidget showing one map as screen_map() draws it (grey levels from the
/// smallest value, black, to the largest, white; NaN in the blue of the map
/// background) with its legend beside it, laid out for the widget's size and
/// drawn at the screen's device pixel ratio.
///
/// The widget can be inspected: hovering shows the x and y under the cursor
/// and the value of the cell drawn there (under `logscale` also its
/// logarithm); the mouse wheel zooms around the cursor, dragging with the
/// left button pans, Home or a double-click shows the whole map again, and
/// F1 or `?` lists these keys. A zoomed view is drawn again from the data at
/// the widget's resolution. The legend keeps the whole map's minimum and
/// maximum; the line under the map shows the visible x and y ranges.
class MAPPLOT_API map_widget : public QWidget {
 public:
  /// An empty widget ("no map yet") until set_map() is called.
  explicit map_widget(QWidget* parent = nullptr);
  /// Releases the kept copy of the map.
  ~map_widget() override;

  /// Shows a new map, in the four shapes of the map request. The arrays are
  /// copied (the values once, in their own precision) and never changed.
  /// `options` gives logscale, xlabel, ylabel and title as for screen_map();
  /// winsize, ownwindow and update are not used. A grid that cannot be drawn
  /// (no coordinates, too few values, no finite value) shows why instead.
  /// The view stays where it was when the new map covers the same x and y
  /// ranges (an animation), and shows the whole map otherwise.
  ///
  /// This one takes double-precision values flat, x index fastest.
  void set_map(std::span<const double> x, std::span<const double> y, std::span<const double> z,
               const screen_options& options = {});
  /// The same from single-precision values flat, kept in single precision.
  void set_map(std::span<const float> x, std::span<const float> y, std::span<const float> z,
               const screen_options& options = {});
  /// The same from a double-precision grid.
  /// \throws std::invalid_argument  z.nx * z.ny overflows std::size_t.
  void set_map(std::span<const double> x, std::span<const double> y, grid_view<double> z,
               const screen_options& options = {});
  /// The same from a single-precision grid, kept in single precision.
  /// \throws std::invalid_argument  z.nx * z.ny overflows std::size_t.
  void set_map(std::span<const float> x, std::span<const float> y, grid_view<float> z,
               const screen_options& options = {});

  /// The line under the map as shown: the visible x and y ranges, and what
  /// lies under the cursor.
  QString readout() const;

  /// Shows the whole map again (as Home does).
  void reset_view();

  /// 580 x 330: room for the map, its legend and the readout.
  QSize sizeHint() const override;

 protected:
  /// Draws the view of the map at the device pixel ratio, the legend and the
  /// readout (and the keys, after F1 or `?`).
  void paintEvent(QPaintEvent* event) override;
  /// Lays the map out again for the new size.
  void resizeEvent(QResizeEvent* event) override;
  /// Follows the cursor for the readout; with the left button down, pans.
  void mouseMoveEvent(QMouseEvent* event) override;
  /// The left button starts a drag.
  void mousePressEvent(QMouseEvent* event) override;
  /// Releasing the left button ends a drag.
  void mouseReleaseEvent(QMouseEvent* event) override;
  /// A double-click shows the whole map again.
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  /// Zooms around the cursor, 1.25 times per notch.
  void wheelEvent(QWheelEvent* event) override;
  /// Home shows the whole map; F1 or `?` shows or hides the keys.
  void keyPressEvent(QKeyEvent* event) override;
  /// The readout forgets the cursor.
  void leaveEvent(QEvent* event) override;

 private:
  std::unique_ptr<map_widget_state> state_;
};

}  // namespace mapplot
