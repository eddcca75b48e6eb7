// Parameters of a high-order session, set by name from text.
#include <array>
#include <cstdio>
#include <cstring>

#include "highorder/session.hpp"

namespace {

enum class ValueSyntax { integer, real, boolean, ignored };

struct Parameter {
  const char *name;
  ValueSyntax syntax;
  std::int32_t gridlume_highorder_session::*integer_field;
  double gridlume_highorder_session::*real_field;
};

using Session = gridlume_highorder_session;

constexpr std::array<Parameter, 8> parameters = {{
    {"verbose", ValueSyntax::integer, &Session::verbose, nullptr},
    {"max_number_of_threads", ValueSyntax::integer, &Session::max_number_of_threads, nullptr},
    {"curve_propagation_mode", ValueSyntax::integer, &Session::curve_propagation_mode, nullptr},
    {"jacobian_threshold", ValueSyntax::real, nullptr, &Session::jacobian_threshold},
    {"use_C3D10M_jacobian", ValueSyntax::boolean, &Session::use_c3d10m_jacobian, nullptr},
    {"curve", ValueSyntax::boolean, &Session::curve, nullptr},
    {"debug", ValueSyntax::ignored, nullptr, nullptr},
    {"h", ValueSyntax::ignored, nullptr, nullptr},
}};

struct BooleanWord {
  const char *word;
  std::int32_t value;
};
constexpr std::array<BooleanWord, 6> boolean_words = {
    {{"yes", 1}, {"true", 1}, {"1", 1}, {"no", 0}, {"false", 0}, {"0", 0}}};

bool read_boolean(const char *text, std::int32_t &value) {
  for (const BooleanWord &entry : boolean_words)
    if (std::strcmp(text, entry.word) == 0) {
      value = entry.value;
      return true;
    }
  return false;
}

// Stores the value when it reads as one item of the parameter's syntax; the
// session is left as it was otherwise.
int apply(Session &session, const Parameter &parameter, const char *text) {
  switch (parameter.syntax) {
    case ValueSyntax::integer: {
      int value = 0;
      if (std::sscanf(text, "%d", &value) != 1) return GRIDLUME_STATUS_ERROR;
      session.*parameter.integer_field = value;
      return GRIDLUME_STATUS_OK;
    }
    case ValueSyntax::real: {
      double value = 0;
      if (std::sscanf(text, "%lf", &value) != 1) return GRIDLUME_STATUS_ERROR;
      session.*parameter.real_field = value;
      return GRIDLUME_STATUS_OK;
    }
    case ValueSyntax::boolean: {
      std::int32_t value = 0;
      if (!read_boolean(text, value)) return GRIDLUME_STATUS_ERROR;
      session.*parameter.integer_field = value;
      return GRIDLUME_STATUS_OK;
    }
    case ValueSyntax::ignored:
      return GRIDLUME_STATUS_OK;
  }
  return GRIDLUME_STATUS_ERROR;
}

}  // namespace

extern "C" int gridlume_highorder_set_param(gridlume_highorder_session *session, const char *name,
                                            const char *value) {
  if (session == nullptr || name == nullptr || value == nullptr) return GRIDLUME_STATUS_ERROR;
  for (const Parameter &parameter : parameters)
    if (std::strcmp(name, parameter.name) == 0) return apply(*session, parameter, value);
  return GRIDLUME_STATUS_ERROR;
}
