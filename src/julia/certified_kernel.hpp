#pragma once

// The double-precision escape loop with its error bound, written once for all
// instruction sets. Only the files compiled for one instruction set include
// this header, each with its own `lanes` type, and it includes nothing that
// has external linkage: an inline function from a library header, compiled
// here for AVX-512 and picked by the linker for ordinary code, would break
// processors without it.

#include <cstddef>

#include "julia/certified_counts.hpp"

// A test-only build sets this below 1 to show that the tests notice a bound
// that is too small.
#ifndef MAPPLOT_ESCAPE_BOUND_SCALE
#define MAPPLOT_ESCAPE_BOUND_SCALE 1.0
#endif

namespace mapplot::certified {

/*
Why a count from this loop equals the extended-precision count
==============================================================

The extended loop (escape_counts.cpp) starts from z = x + iy, both parts in
extended precision (a grid row's y is a float, a view's is not), and for
n = -2, -1, ..., last: stops if T = fl(fl(x^2) + fl(y^2)) >= 65536, else sets
the count to n and replaces z by (fl(fl(x^2) - fl(y^2)), fl(fl(2x * y) + 1)).
fl rounds to nearest with the unit roundoff v = 2^-64; 2x is exact. The loop
below does the same in doubles, unit roundoff u = 2^-53: w = a + ib with
a = fl(x) and b = fl(y), each rounded once (b = y where y is a float),
S = fl(fl(a^2) + fl(b^2)), and the same two updates, where fl(2ab) = 2 fl(ab)
exactly. It carries half a bound, h, with the invariant

  (I)   |w - z| <= 2h,

and decides a test only where the bound proves that T lies on the same side of
65536 as S. If both loops take the same decision at every test, they stop at
the same n with the same count, or both run to the last step. A point with an
undecided test goes back to the extended loop, which computes it from its
start exactly as it always did.

Floors. s = max(S, 2^-900), and h > 2^-82: the start has the floor 2^-81 and
every later h is at least c_1 (1 - u)^2 > 2^-55. So every operand and result in
the bound's arithmetic is a normal double of at least 2^-1000, and each
rounding of these non-negative numbers loses at most a factor 1 - u:
fl(t) >= (1 - u) t. Overflow gives +inf, and an infinite margin decides
nothing, so the point goes back. Starts are at most 2^64 in modulus (larger
ones never come here), so S is finite; an orbit that goes on has S < 65536 and
stays far from overflow.

Underflow. Where the orbit's arithmetic meets subnormal numbers, a square errs
by less than 2^-1022 and a product by less than 2^-1022 * 2^64 < 2^-900 in
absolute terms (no factor exceeds 2^64), also where the processor flushes
subnormal numbers to zero. The bound's own arithmetic never meets them.

The size of w. S >= (1 - u)^2 |w|^2 - 3 * 2^-1022, so |w|^2 <= (1 + 2^-50) s,
also where S underflows (s is then 2^-900). Each instruction set computes t with
sqrt(s) + h <= (1 + 2^-12) t (see each `magnitude_plus`), so
|w| + h <= (1 + 2^-51)(1 + 2^-12) t.

Squaring. w^2 - z^2 = (w - z)(w + z), so the difference grows by at most
Q = |w - z| (|w| + |z|) <= |w - z| (2|w| + |w - z|) <= 4h (|w| + h) by (I).
The loop computes g = fl(h t), at least (1 - u) h t, so

  (G)   Q <= 4 (1 + 2^-51)(1 + 2^-12) / (1 - u) g <= 4 (1 + 2^-11) g.

The step. With the rounding errors r_w = w' - (w^2 + i) and r_z = z' - (z^2 + i),
w' - z' = (w - z)(w + z) + r_w - r_z. The new real part fl(fl(a^2) - fl(b^2))
errs by at most u a^2 + u b^2 + u (1 + u)|w|^2 = (2u + u^2)|w|^2, the
imaginary part fl(2 fl(ab) + 1) by at most 2u|ab| + u ((1 + u) 2|ab| + 1)
<= (2u + u^2)|w|^2 + u; subnormal numbers add less than 2^-1022 + 2^-1022 + 2^-900.
So |r_w| <= (4u + 2u^2)|w|^2 + u + 2^-899, likewise |r_z| <= (4v + 2v^2)|z|^2 + v,
and with |z|^2 <= |w|^2 + Q (from ||z|^2 - |w|^2| <= Q)

  (S)   |w' - z'| <= (1 + 4v + 2v^2) Q + (4u + 2u^2 + 4v + 2v^2)|w|^2 + u + v + 2^-899.

The next half bound is h' = fl(c_g g + fl(c_q s + c_1)) with c_g = 2 (1 + 2^-10),
c_q = 2^-52 (1 + 2^-8) and c_1 = 2^-54 (1 + 2^-7). Then

  2h' >= 2 (1 - u) c_g g + 2 (1 - u)^2 (c_q s + c_1),

where by (G) 2 (1 - u) c_g g >= (1 - u)(1 + 2^-10) / (1 + 2^-11) Q >= (1 + 2^-12) Q,
2 (1 - u)^2 c_q s >= 2^-51 (1 + 2^-9) s >= (1 + 2^-50)(2^-51 + 2^-62 + 2^-104) s,
which covers the |w|^2 term, and 2 (1 - u)^2 c_1 >= 2^-53 + 2^-64 + 2^-899.
So 2h' bounds (S), and (I) holds at the next step.

The test. |S - |w|^2| <= (2u + u^2)|w|^2 + 2^-1020 (two squares and a sum, the
last term for underflow), ||w|^2 - |z|^2| <= Q and |T - |z|^2| <= (2v + v^2)|z|^2
(extended underflow is far smaller still), so

  |S - T| <= (2u + u^2 + 2v + v^2)(1 + 2^-50) s + (1 + 2v + v^2) Q + 2^-1019.

The loop takes M = 2h' as the margin (an exact doubling). Term by term, as
above, M is at least (1 + u) times this: (1 + 2^-12) Q against
(1 + u)(1 + 2v + v^2) Q, 2^-51 s against about 2^-52 s, 2^-53 against 2^-1019.
The loop compares d = fl(S - 65536) with M; d has the sign of S - 65536 and
|d| <= (1 + u)|S - 65536|. Hence

  d >  M   gives  S - 65536 > |S - T|, so T > 65536: both loops stop;
  d < -M   gives  65536 - S > |S - T|, so T < 65536: both go on.

Anything else, NaN and infinity included, leaves the point undecided.

The start. |a - x| <= u|a| where a is normal, < 2^-1022 where it is not. The
caller gives e_b >= |b - y|, a double (0 where y is a float, so b = y). With
c_a = 2^-54 (1 + 2^-30), h_0 = fl(c_a |a| + fl(2^-81 + e_b)) satisfies (I):
two roundings lose at most a factor (1 - u)^2, so
2h_0 >= 2^-53 (1 + 2^-30)(1 - u)^2 |a| + 2^-80 (1 - u)^2 + 2 (1 - u)^2 e_b
     >= u|a| + 2^-1022 + e_b >= |w_0 - z_0|.
Only the actual error of b widens the bound: a bound on |b| itself would send
more points of float rows back for nothing.

By induction (I) holds at every test that both loops reach, every test this
loop decides is decided as the extended loop decides it, and every count it
reports is the extended-precision count.
*/

inline constexpr double bound_scale = MAPPLOT_ESCAPE_BOUND_SCALE;
inline constexpr double escape_modulus_squared = 65536.0;
inline constexpr double modulus_floor = 0x1p-900;
inline constexpr double start_factor = 0x1p-54 * (1 + 0x1p-30) * bound_scale;  // c_a
inline constexpr double start_floor = 0x1p-81;
inline constexpr double growth_factor = 2 * (1 + 0x1p-10);                   // c_g
inline constexpr double step_factor = 0x1p-52 * (1 + 0x1p-8) * bound_scale;  // c_q
inline constexpr double step_floor = 0x1p-54 * (1 + 0x1p-7) * bound_scale;   // c_1

// One vector of orbits.
template <class lanes>
struct orbits {
  typename lanes::vec re, im, half_bound, count;
  typename lanes::mask active, undecided;
};

// `start_floor_with_im_error` is fl(2^-81 + e_b).
template <class lanes>
orbits<lanes> start_orbits(const double* start_re, typename lanes::vec im,
                           typename lanes::vec start_floor_with_im_error) {
  orbits<lanes> o;
  o.re = lanes::load(start_re);
  o.im = im;
  o.half_bound =
      lanes::fma(lanes::splat(start_factor), lanes::abs(o.re), start_floor_with_im_error);
  o.count = lanes::splat(0.0);
  o.active = lanes::all();
  o.undecided = lanes::none();
  return o;
}

// The test of step n and, for the orbits that go on, the step itself.
// Returns whether any orbit goes on.
template <class lanes>
bool advance_orbits(orbits<lanes>& o, typename lanes::vec n) {
  using vec = typename lanes::vec;
  const vec re_squared = lanes::mul(o.re, o.re);
  const vec im_squared = lanes::mul(o.im, o.im);
  const vec modulus_squared = lanes::add(re_squared, im_squared);  // S
  const vec s = lanes::max(modulus_squared, lanes::splat(modulus_floor));
  const vec growth = lanes::mul(o.half_bound, lanes::magnitude_plus(s, o.half_bound));  // g
  const vec next_half_bound =
      lanes::fma(lanes::splat(growth_factor), growth,
                 lanes::fma(lanes::splat(step_factor), s, lanes::splat(step_floor)));      // h'
  const vec margin = lanes::add(next_half_bound, next_half_bound);                         // M
  const vec distance = lanes::sub(modulus_squared, lanes::splat(escape_modulus_squared));  // d

  const auto escapes = lanes::greater(distance, margin);
  const auto stays = lanes::less(distance, lanes::negate(margin));
  o.undecided = lanes::either(o.undecided, lanes::but_not(o.active, lanes::either(escapes, stays)));
  o.active = lanes::both(o.active, stays);
  o.count = lanes::select(o.active, n, o.count);

  const vec cross = lanes::mul(o.re, o.im);
  o.re = lanes::sub(re_squared, im_squared);
  o.im = lanes::add(lanes::add(cross, cross), lanes::splat(1.0));
  o.half_bound = next_half_bound;
  return lanes::any(o.active);
}

// Runs `lanes::interleaved` vectors side by side, so that one step's latency
// is hidden behind the others' work. Returns false once `stop` asks to stop.
template <class lanes>
bool escape_counts(const double* start_re, std::size_t points, double im, double im_error,
                   long long last_step, float* counts, unsigned char* undecided,
                   const stop_check* stop) {
  constexpr std::size_t group = lanes::width * lanes::interleaved;
  static_assert(points_multiple % group == 0, "a group must not straddle the end");
  const typename lanes::vec start_im = lanes::splat(im);
  const typename lanes::vec start_floor_with_im_error =
      lanes::splat(start_floor + im_error * bound_scale);
  for (std::size_t first = 0; first + group <= points; first += group) {
    orbits<lanes> o[lanes::interleaved];
    for (std::size_t k = 0; k < lanes::interleaved; ++k) {
      o[k] = start_orbits<lanes>(start_re + first + k * lanes::width, start_im,
                                 start_floor_with_im_error);
    }
    bool going_on = true;
    for (long long n = -2; n <= last_step && going_on; ++n) {
      if ((n & (steps_between_stop_checks - 1)) == 0 && stop != nullptr &&
          stop->requested(stop->context)) {
        return false;
      }
      const typename lanes::vec step = lanes::splat(static_cast<double>(n));
      going_on = false;
      for (std::size_t k = 0; k < lanes::interleaved; ++k) {
        going_on = advance_orbits<lanes>(o[k], step) || going_on;
      }
    }
    for (std::size_t k = 0; k < lanes::interleaved; ++k) {
      const std::size_t at = first + k * lanes::width;
      lanes::store_counts(counts + at, o[k].count);
      lanes::store_flags(undecided + at, o[k].undecided);
    }
  }
  return true;
}

}  // namespace mapplot::certified
