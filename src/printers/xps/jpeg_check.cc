#include "printers/xps/jpeg_check.h"

#include <csetjmp>

#include "printers/xps/gxps_library.h"
#include "printers/xps/xps_package.h"

namespace prynda {

namespace {

// libjpeg's error manager, and where its fatal errors jump to with their text.
struct Decoding {
  jpeg_error_mgr Errors;  // first, so that libjpeg's pointer to it is one to the whole
  std::jmp_buf Failed;
  char Message[JMSG_LENGTH_MAX] = {};
};

[[noreturn]] void Fail(j_common_ptr info) {
  auto* decoding = reinterpret_cast<Decoding*>(info->err);
  (*info->err->format_message)(info, decoding->Message);
  std::longjmp(decoding->Failed, 1);
}

void Silent(j_common_ptr) {}

}  // namespace

void CheckJpeg(std::string_view bytes, const std::string& name, std::uint64_t most_dots) {
  const GxpsLibrary& api = *Gxps();
  jpeg_decompress_struct info{};
  Decoding decoding;
  info.err = api.jpeg_std_error(&decoding.Errors);
  decoding.Errors.error_exit = Fail;
  decoding.Errors.output_message = Silent;  // warnings: what libgxps draws anyway
  volatile std::uint64_t dots = 0;
  if (setjmp(decoding.Failed) == 0) {
    api.jpeg_CreateDecompress(&info, JPEG_LIB_VERSION, sizeof info);
    api.jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    api.jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
    api.jpeg_read_header(&info, TRUE);
    dots = std::uint64_t{info.image_width} * info.image_height;
    if (dots <= most_dots) {
      info.do_fancy_upsampling = FALSE;
      api.jpeg_start_decompress(&info);
      JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                 info.output_width * info.output_components, 1);
      while (info.output_scanline < info.output_height) api.jpeg_read_scanlines(&info, row, 1);
      api.jpeg_finish_decompress(&info);
    }
  }
  api.jpeg_destroy_decompress(&info);
  if (decoding.Message[0] != '\0') RaiseDamaged("the picture " + name + " cannot be decoded: " + decoding.Message);
  if (dots > most_dots) RaiseTooLarge("the picture " + name + " of " + std::to_string(dots) + " dots", most_dots);
}

}  // namespace prynda
