#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

// Each area's tests are one executable: every test class registers itself here and
// the shared main runs them all (a QtTest run per class), failing when any fails.
namespace torvo::test {

using Factory = std::function<std::unique_ptr<QObject>()>;
std::vector<Factory>& registry();

template <class T> struct Registrar {
    Registrar() {
        registry().push_back([] { return std::make_unique<T>(); });
    }
};

} // namespace torvo::test

#define TORVO_TEST(Class) static const torvo::test::Registrar<Class> torvoRegistrar_##Class;
