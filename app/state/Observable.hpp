#pragma once
// The one rule of the observable models: a field notifies its views only when
// its value really changes; assigning the value it holds notifies nobody.
#include <type_traits>
#include <utility>

namespace tovrane::app {

template <typename Model, typename Value>
void assign(Model* model, Value& field, std::type_identity_t<Value> value, void (Model::*changed)()) {
  if (field == value) {
    return;
  }
  field = std::move(value);
  (model->*changed)();
}

}  // namespace tovrane::app
