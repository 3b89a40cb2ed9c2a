#pragma once

/// \file
/// map_widget: a map inside the caller's own Qt windows. It needs Qt 6
/// Widgets (CMake: mapplot::screenmap and Qt6::Widgets). Create it and call
/// set_map() on the GUI thread, after the QApplication; no
/// run_windowed_program() is needed.

#include <QWidget>
#include <atomic>
#include <cstddef>
#include <functional>
#include <mapplot/export.hpp>
#include <mapplot/map_request.hpp>
#include <memory>
#include <span>
#include <string>

namespace mapplot {

/// The part of the plane a function-backed map asks its function for, in
/// long double so that deep views keep their precision: x from x1 (left) to
/// x2 (right), y from y1 (bottom) to y2 (top), in columns x rows pixels.
/// Pixel (i, j), j counted upwards from the bottom row, stands for the point
/// x = x1 + (x2 - x1) * (2i + 1) / (2 columns), and likewise
/// y = y1 + (y2 - y1) * (2j + 1) / (2 rows): the centres of the pixels.
struct map_viewport {
  long double x1;       ///< Left edge of the view.
  long double x2;       ///< Right edge of the view.
  long double y1;       ///< Bottom edge of the view.
  long double y2;       ///< Top edge of the view.
  std::size_t columns;  ///< Pixels across: values per row.
  std::size_t rows;     ///< Pixels down: rows of values.
  /// True for the coarse picture a new view shows first (every fourth pixel
  /// each way); false for the one value per pixel that replaces it.
  bool preview;
};

/// Computes the values of `viewport`: writes values[i + j * columns] for each
/// pixel (i, j) and returns true; returns false, leaving `values` unfinished,
/// once `cancel` is set (the view changed meanwhile, or the widget is being
/// destroyed). It is called on a worker thread of the widget, never on the
/// GUI thread, one call at a time. Anything it throws, a std::exception or
/// not, is shown in the readout instead of the picture.
///
/// Poll `cancel` at least every 10 ms of work (once a row is usual). The GUI
/// never waits for a call, but the next view's computation starts only when
/// the call under way has returned, and the widget's destructor waits for
/// it: a function that ignores `cancel` delays every new view, and the
/// closing of the widget, by a whole computation. A result computed for a
/// view that is no longer shown is dropped.
using map_function = std::function<bool(const map_viewport& viewport, std::span<float> values,
                                        const std::atomic<bool>& cancel)>;

/// Says why a viewport cannot be shown (for example, beyond the precision of
/// the function's arithmetic), or returns an empty string when it can. The
/// widget does not zoom or pan there and shows the reason in its readout.
/// It is called on the GUI thread; a check that throws refuses the viewport,
/// and the readout shows what it threw.
using map_view_check = std::function<std::string(const map_viewport& viewport)>;

/// What a map_widget keeps: its map, texts and view (private).
struct map_widget_state;

/// A QWidget showing one map as screen_map() draws it (grey levels from the
/// smallest value, black, to the largest, white; NaN in the blue of the map
/// background) with its legend beside it (under it in a tall widget) and a
/// strip of readout lines along the bottom, laid out for the widget's size
/// and drawn at the screen's device pixel ratio.
///
/// The widget answers the mouse as graphics windows do: hovering shows the
/// point under the cursor and the cell drawn there, with its value (under
/// `logscale` also its logarithm); the mouse wheel zooms around the cursor,
/// dragging with the left button pans, Home or a double-click shows the
/// whole map again, and F1 or `?` lists these keys. A zoomed view is drawn
/// again from the data at the widget's resolution, from a millionth of the
/// whole map out to 1000 times it. The legend keeps the whole map's minimum
/// and maximum; the strip shows the visible x and y ranges.
class MAPPLOT_API map_widget : public QWidget {
 public:
  /// An empty widget ("no map yet") until set_map() is called.
  explicit map_widget(QWidget* parent = nullptr);
  /// Releases the kept copy of the map. For a function-backed map it first
  /// sets `cancel` and waits for the function's call under way, if any, to
  /// return; afterwards nothing of the widget runs on another thread.
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

  /// Shows a map whose values a function computes for whatever view is
  /// shown: x from x1 to x2 and y from y1 to y2 at first (and after Home).
  /// The function is asked again, on a worker thread, whenever the view or
  /// the widget's size changes; a change while it computes cancels that
  /// computation, and neither waits for it. A new view is shown at once stretched from the previous
  /// picture, then coarse, then at one value per pixel. Grey levels span the
  /// shown values' finite minimum and maximum; the legend shows the view's x
  /// and y ranges and that value range. `check`, when given, is asked before
  /// every zoom or pan. `options` gives xlabel, ylabel and title.
  /// \throws std::invalid_argument  the ranges are not finite or are empty.
  /// \throws std::system_error  the widget's worker thread cannot be started.
  void set_function(map_function function, long double x1, long double x2, long double y1,
                    long double y2, const screen_options& options = {}, map_view_check check = {});

  /// For a function-backed map: whether the picture shown is the current
  /// view's, one value per pixel (false while it is computed). True for a
  /// map given by values.
  bool view_computed() const;

  /// The strip under the map as shown, its lines that say something, one
  /// per line: the visible x and y ranges; the point under the cursor; the
  /// cell drawn there (its column and row, x and y, and value, each in the
  /// shortest form that reads back exactly); and why zooming stopped, why
  /// nothing is shown, or that the view's values are all equal.
  QString readout() const;
  /// Adds `line` to the keys listed after F1 or `?`, for a key the caller's
  /// window answers (for example "Ctrl+S: save the picture").
  void add_key_help(const QString& line);

  /// Shows the whole map again (as Home does).
  void reset_view();

  /// 580 x 330: room for the map, its legend and the strip. The widget's
  /// minimum size keeps a map 120 pixels wide, the legend and the strip in
  /// full.
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
