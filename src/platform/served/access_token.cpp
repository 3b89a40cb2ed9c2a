#include "platform/served/access_token.hpp"

#include <QRandomGenerator>
#include <array>

namespace mapplot {

QByteArray new_access_token() {
  std::array<quint32, 4> bits{};
  // The system generator draws from the kernel's cryptographic source.
  QRandomGenerator::system()->fillRange(bits.data(), bits.size());
  return QByteArray(reinterpret_cast<const char*>(bits.data()), static_cast<qsizetype>(sizeof bits))
      .toHex();
}

bool token_matches(const QByteArray& given, const QByteArray& token) {
  // Every byte of the token is looked at, whatever `given` holds.
  unsigned difference = given.size() == token.size() ? 0u : 1u;
  for (qsizetype index = 0; index < token.size(); ++index) {
    const char other = index < given.size() ? given[index] : '\0';
    difference |= static_cast<unsigned char>(other ^ token[index]);
  }
  return difference == 0;
}

}  // namespace mapplot
