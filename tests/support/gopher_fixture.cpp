// gopher_fixture
