#include "ftengine/wire/ft_status.h"

namespace zel::ftengine {

const char* statusName(std::int32_t status) {
  switch (status) {
    case FT_OK:
      return "FT_OK";
    case FTERR_MORE:
      return "FTERR_MORE";
    case FTERR_CANCELLED:
      return "FTERR_CANCELLED";
    case FTERR_TIMEOUT:
      return "FTERR_TIMEOUT";
    case FTERR_NO_MEMORY:
      return "FTERR_NO_MEMORY";
    case FTERR_BAD_SESSION:
      return "FTERR_BAD_SESSION";
    case FTERR_RECEIVE:
      return "FTERR_RECEIVE";
    case FTERR_PROTOCOL:
      return "FTERR_PROTOCOL";
    case FTERR_REFUSED:
      return "FTERR_REFUSED";
    case FTERR_WRITE_TIMEOUT:
      return "FTERR_WRITE_TIMEOUT";
    case FTERR_EXCEPTION:
      return "FTERR_EXCEPTION";
    case FTERR_SEND:
      return "FTERR_SEND";
    case FTERR_NOT_SUPPORTED:
      return "FTERR_NOT_SUPPORTED";
    case FTERR_UNEXPECTED:
      return "FTERR_UNEXPECTED";
    case FTERR_NO_AGENT_MODULE:
      return "FTERR_NO_AGENT_MODULE";
    case FTERR_CRC:
      return "FTERR_CRC";
    case FTERR_SEQUENCE:
      return "FTERR_SEQUENCE";
    default:
      return nullptr;
  }
}

}  // namespace zel::ftengine
