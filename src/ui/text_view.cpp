// text_view
