#include "app/window/Page.hpp"

#include "app/state/Observable.hpp"

namespace tovrane::app {

void Navigation::setPage(const Page& page) { assign(this, page_, page, &Navigation::pageChanged); }

}  // namespace tovrane::app
