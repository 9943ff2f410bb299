// Prints a scrape of a book with awkward server names and every kind of outcome, for promtool.
#include <cstdio>

#include "metrics/metrics_book.h"

int main() {
  using namespace lantervo::metrics;
  MetricsBook book("1.2.3");
  const ServerKey plain{"Shop", "http://shop.example/"};
  const ServerKey odd{"Quote \" back\\slash\nnew line", "http://odd.example/?a=\"b\""};
  const ServerKey czech{"Žluťoučký kůň \xff", "http://kun.example/"};
  const ServerKey never{"Not yet", "http://later.example/"};
  book.SetServers({plain, odd, czech, never});
  book.RecordCheck(plain, CheckStatus::Up, 120, 1'700'000'000'000);
  book.RecordCheck(odd, CheckStatus::WrongResponse, 80, 1'700'000'001'000);
  book.RecordCheck(czech, CheckStatus::Down, -1, 1'700'000'002'000);
  book.RecordCheck(czech, CheckStatus::Slow, 4500, 1'700'000'302'000);
  book.RecordRun(RunState::Problems, 1'700'000'000'000, 1'700'000'003'250);
  std::fputs(book.Exposition().c_str(), stdout);
  return 0;
}
