// The C++ library reports a misused string or a failed allocation through
// these functions. Its own versions build std::logic_error and friends on a
// second, reference-counted string implementation, which alone costs the exe
// tens of KiB; these throw exceptions that carry a fixed text instead. The
// event dispatcher catches them like any other std::exception.
#include <exception>
#include <new>
#include <string>

namespace {

class LibraryError : public std::exception {
 public:
  explicit LibraryError(const char* what) : what_(what) {}
  const char* what() const noexcept override { return what_; }

 private:
  const char* what_;
};

}  // namespace

namespace std {

void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_alloc(); }
void __throw_length_error(const char* what) { throw LibraryError(what); }
void __throw_logic_error(const char* what) { throw LibraryError(what); }
void __throw_out_of_range(const char* what) { throw LibraryError(what); }
// The formatted variant is used for index errors; its text has %-fields
// that are left unfilled here.
void __throw_out_of_range_fmt(const char* what, ...) { throw LibraryError(what); }
void __throw_invalid_argument(const char* what) { throw LibraryError(what); }

}  // namespace std

// The strings' members, made here from the library's own templates. The
// library's copy of them is one object that the linker takes whole (its
// unwind tables tie every member to the others); made here, they go through
// the link-time optimizer like our code, and only what is called stays.
template class std::basic_string<char>;
