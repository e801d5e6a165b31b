// A non-owning reference to a Laplace transform F(p): any callable object
// with context (a model and a log, say), called through one function
// pointer, so that the inverter needs neither global state nor a template
// in its interface. The referenced callable must outlive the reference.
#pragma once

#include <complex>
#include <concepts>
#include <type_traits>

namespace slug {

class TransformRef {
public:
    template <class F>
        requires(!std::same_as<std::remove_cvref_t<F>, TransformRef> &&
                 std::is_invocable_r_v<std::complex<double>, const F&, const std::complex<double>&>)
    TransformRef(const F& f)  // NOLINT: implicit, so that a lambda can be passed directly
        : object_(&f), call_([](const void* o, const std::complex<double>& p) -> std::complex<double> {
              return (*static_cast<const F*>(o))(p);
          }) {}

    std::complex<double> operator()(const std::complex<double>& p) const { return call_(object_, p); }

private:
    const void* object_;
    std::complex<double> (*call_)(const void*, const std::complex<double>&);
};

}  // namespace slug
