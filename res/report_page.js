// What both printable forms share: the page text built up by the form's own
// functions, the body text of its table rows, and the three calls that show,
// print and empty the page.
var pageText = '';
var bodyText = '';

function fin_html() {
  document.getElementById('list_ctrl').innerHTML = pageText;
}

function Print() {
  window.print();
}

function clear() {
  pageText = '';
  bodyText = '';
  document.getElementById('list_ctrl').innerHTML = '';
}
