#pragma once
// The texts the two flows show, as the user sees them. "%s" is the port name.
// What a download's outcome says is made in DownloadTexts.
namespace ml::texts {

inline constexpr const char* kErrorCaption = "오류";
inline constexpr const char* kWarningCaption = "경고";

inline constexpr const char* kNoSerialPort = "사용할수 있는 시리얼 포트가 없습니다.";
// The system's reason follows in parentheses.
inline constexpr const char* kOpenFailed = "%s Serial open 실패 (%s)";
inline constexpr const char* kWrongPort = "%s 올바른 포트가 아닙니다.";
// The answer to the model query names no logger we know.
inline constexpr const char* kModelQueryFailed = "메시지를 획득하지 못했습니다($PHLX852)";
inline constexpr const char* kSerialError = "%s 시리얼 오류";
// The logger stayed silent past the time limit (same words as the
// download's own time-out).
inline constexpr const char* kNoAnswer =
    "%s 포트에서 응답이 없습니다. 로거의 연결과 전원을 확인하고 다시 시도해 주십시오";

inline constexpr const char* kNoData = "데이터가 없습니다.";
// A download that ended without a single fix commits nothing.
inline constexpr const char* kNoFixes =
    "받은 로그에서 위치 기록을 하나도 읽지 못했습니다. 불러온 데이터는 그대로 유지됩니다.";

inline constexpr const char* kDiscardQuestion =
    "기존의 불러온 데이터를 삭제하시겠습니까?.\nNO를 선택시 불러온 데이터가 유지됩니다";
inline constexpr const char* kEraseQuestion = "현재 연결된 기기의 모든 로그 정보가 삭제됩니다.\n정말 삭제하시겠습니까?";
inline constexpr const char* kEraseSendFailed = "메시지 전송 실패!";
// Erase with no open port: the erase goes to the logger of the last
// download, and there is none.
inline constexpr const char* kEraseNoPort = "연결된 기기가 없습니다. 먼저 로그읽기로 기기에 연결해 주십시오.";

inline constexpr const char* kStageOk = "OK";

}  // namespace ml::texts
