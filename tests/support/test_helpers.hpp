// Helpers shared by the test programs: a context deleted at the end of its
// scope, getters read into a returned value, and operations run under every
// allocation failure.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <tuple>
#include <type_traits>

#include "gridlume.h"
#include "support/allocation_failure.hpp"

namespace gridlume_test {

// A context deleted, with everything still attached to it, at scope end.
struct Context {
  gridlume_context *handle = gridlume_context_new();
  Context() = default;
  Context(const Context &) = delete;
  Context &operator=(const Context &) = delete;
  ~Context() { gridlume_context_delete(handle); }
  operator gridlume_context *() const { return handle; }
};

// Output storage starts with a value no getter answers, so a getter that
// writes nothing is told from one that writes 0.
template <class T>
T unwritten() {
  if constexpr (std::is_floating_point_v<T>) return std::nan("");
  else if constexpr (std::is_integral_v<T>) return T(-987654);
  else return T{};
}

template <class... Parameters>
using last_output = std::remove_pointer_t<
    std::tuple_element_t<sizeof...(Parameters) - 1, std::tuple<Parameters...>>>;

// Calls get(arguments..., &value), expects status 0 and answers the value.
template <class... Parameters, class... Arguments>
auto value_of(int (*get)(Parameters...), Arguments... arguments) {
  last_output<Parameters...> value = unwritten<last_output<Parameters...>>();
  EXPECT_EQ(get(arguments..., &value), 0);
  return value;
}

// The same for a getter that fills `n` values.
template <std::size_t n, class... Parameters, class... Arguments>
auto values_of(int (*get)(Parameters...), Arguments... arguments) {
  std::array<last_output<Parameters...>, n> values;
  values.fill(unwritten<last_output<Parameters...>>());
  EXPECT_EQ(get(arguments..., values.data()), 0);
  return values;
}

// Runs `operation(context, failure)` once per allocation point, each time in
// a new context; the operation arms the failure where the part under test
// starts and answers its handle or status. A handle must be NULL, a status
// -5, exactly when an allocation failed; `check(result)` examines the result
// of a run that did not fail. The operation must allocate at least once.
template <class Operation, class Check = std::nullptr_t>
void expect_each_allocation_failure_reported(Operation operation, Check check = nullptr) {
  const long failed_runs = for_each_allocation_failure([&](AllocationFailure &failure) {
    Context context;
    auto result = operation(context.handle, failure);
    failure.disarm();
    if constexpr (std::is_pointer_v<decltype(result)>) {
      EXPECT_EQ(result == nullptr, failure.happened());
    } else {
      EXPECT_EQ(result, failure.happened() ? -5 : 0);
    }
    if constexpr (!std::is_null_pointer_v<Check>) {
      if (!failure.happened()) check(result);
    }
  });
  EXPECT_GT(failed_runs, 0) << "the operation allocates nothing";
}

}  // namespace gridlume_test
